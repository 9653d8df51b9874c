// Native methods of the Java class com.corvane.qmerrlog.QmLogger.
//
// The bridge keeps no state: every call picks its logger by name, borrows the
// Java strings it needs for the length of the call and gives them back on every
// way out. Nothing here throws into the virtual machine and nothing reports a
// failure but the return value.

#include <jni.h>

#include <cstdarg>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

// Written by javac from the Java class: the declarations our exports must match.
#include "com_corvane_qmerrlog_QmLogger.h"
#include "core/log_message_body.h"
#include "format/bounded_format.h"
#include "format/control_escape.h"
#include "jni/java_string_arguments.h"
#include "jni/jni_strings.h"
#include "qmerrlog/component.h"
#include "qmerrlog/datafields.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "qmerrlog/registry.h"
#include "qmerrlog/tracedata.h"

namespace {

// What LogMsg and TraceMsg return, whatever happened.
constexpr jint kMessageDone = 1;

constexpr char kWarningFunction[] = "QmJNIEntryPoint::LogMsg";
constexpr char kTooManyLogArguments[] =
    "WARNING!!! Too many arguments in message.  Message not logged.  Message ID is: %d";
constexpr char kTooManyTraceArguments[] =
    "WARNING!!! Too many arguments in message - Message not logged.  Unformatted message is: %s";
// The SrcFile of the warnings: this module's name, not the build machine's
// path to it, followed by the line that noticed the surplus.
constexpr char kModuleName[] = "QmJNIEntryPoint";

// Most bytes of each text a Java caller puts in a trace record, escapes
// included: the Message, Function and TransactionID fields keep what a
// formatted text of the library keeps (4095 bytes), SrcFile what a log
// line's prolog shows of a file name (255). However long the strings and
// however wide the conversions, a record stays bounded.
constexpr std::size_t kMaxJavaTextBytes = qm::kFormatAreaSize - 1;
constexpr std::size_t kMaxJavaFileBytes = 255;

// A Java caller's text, fit for a record: control characters escaped (no
// line break can end the record early and forge the next one), cut at limit.
std::string RecordText(const char* text, std::size_t limit) {
    std::string fitted;
    if (text != nullptr) qm::AppendEscaped(&fitted, text, std::strlen(text), limit);
    return fitted;
}

// Runs a native method body; an exception (only allocation failure can reach
// here) must not unwind into the virtual machine. The holders inside the body
// have given everything back by the time it is caught.
template <typename Result, typename Body>
Result Guarded(Result onFailure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

// Empties the calling thread's pooled trace record on every way out, so that
// its next user never finds values or text of this call.
class LeaveNoBodyOnExit {
public:
    explicit LeaveNoBodyOnExit(CQmTraceData* record) : m_pRecord(record) {}
    ~LeaveNoBodyOnExit() { m_pRecord->LeaveNoBody(); }
    LeaveNoBodyOnExit(const LeaveNoBodyOnExit&) = delete;
    LeaveNoBodyOnExit& operator=(const LeaveNoBodyOnExit&) = delete;

private:
    CQmTraceData* m_pRecord;
};

}  // namespace

// Steps shared by the native methods; a friend of CQmTraceData for the
// assembly of records.
struct QmJNIEntryPoint {
    // A non-empty name selects (and on first use creates) the named logger;
    // anything else the default logger.
    static CQmLogger* ChooseLogger(const qm::JniUtfChars& name) {
        return name.empty() ? theLogger() : getMyLogger(name.get());
    }

    static const char* FilePart(const char* path) { return CQmErrLogMessage::PathnameFindFilePart(path); }

    // The catalogue text's conversions take the strings as their kinds need
    // (numbers where they read as numbers); conversions beyond the last
    // string get empty texts.
    static void WriteLogMessage(CQmLogger* logger, const char* sourcePath, jint messageId,
                                const char* const* texts, int count) {
        CQmErrLogMessage message(logger->ShouldUseLocalTime());
        // Neither result matters: without a catalogue text the prolog goes
        // out alone, ended by its line feed.
        message.FormatLogProlog(sourcePath, 0, 0);
        qm::JavaStringArguments arguments(texts, count);
        qm::AppendLogMessageBody(&message, static_cast<unsigned int>(messageId), &arguments);
        logger->LogErrMsg(message);
    }

    static bool SetIfTraced(CQmTraceData& record, unsigned int field, const char* value) {
        return !record.FieldTraced(field) || record.SetFieldValue(field, value);
    }

    // Process, thread, date and time; -1 asks the record to fill them in.
    static bool SetProcessAndTimeFields(CQmTraceData& record) {
        for (unsigned int field :
             {QM_FIELD_PID, QM_FIELD_TID, QM_FIELD_DATE, QM_FIELD_TIME, QM_FIELD_PRECISETIME}) {
            if (record.FieldTraced(field) && !record.SetFieldValue(field, -1)) {
                return false;
            }
        }
        return true;
    }

    // The record goes out whatever the assembly says: what it holds is its text.
    static void AssembleAndLog(CQmTraceData& record) {
        record.Format();
        record.Log();
    }

    // Traces, through the default logger, that a message came with more
    // arguments than the formats take; `line` is where the caller noticed.
    static void TraceTooManyArguments(unsigned int traceId, int line, const char* format, ...) {
        CQmTraceData* record = nullptr;
        if (!theLogger()->ShouldTraceAlloc(traceId, &record) || record == nullptr) {
            return;
        }
        LeaveNoBodyOnExit emptied(record);
        if (!SetIfTraced(*record, QM_FIELD_FUNCTION, kWarningFunction)) {
            return;
        }
        if (record->FieldTraced(QM_FIELD_MESSAGE)) {
            va_list arguments;
            va_start(arguments, format);
            const char* text = record->FormatTraceMessageVA(format, arguments);
            va_end(arguments);
            if (!record->SetFieldValue(QM_FIELD_MESSAGE, text)) {
                return;
            }
        }
        if (record->FieldTraced(QM_FIELD_SRCFILE) &&
            !record->SetFieldValue(QM_FIELD_SRCFILE, record->FormatTraceMessage("%s:%i", kModuleName, line))) {
            return;
        }
        if (SetProcessAndTimeFields(*record)) {
            AssembleAndLog(*record);
        }
    }

    struct TraceCall {
        CQmLogger* logger;
        unsigned int traceId;
        const char* sourcePath;
        const char* function;
        const char* transactionId;
        const char* text;
        // Null: the text is taken verbatim.
        const qm::JniArgumentStrings* arguments;
    };

    // The Message field: the text as a format for the argument strings, or
    // the text itself. The format is the caller's too, so its control
    // characters are escaped as well as the arguments'.
    static std::string FormatTraceText(const TraceCall& call) {
        const qm::JniArgumentStrings* a = call.arguments;
        if (a == nullptr) return RecordText(call.text, kMaxJavaTextBytes);
        const char* texts[qm::JniArgumentStrings::kMaxArguments];
        for (int i = 0; i < qm::JniArgumentStrings::kMaxArguments; ++i) texts[i] = (*a)[i];
        qm::JavaStringArguments arguments(texts, a->Count());
        std::string formatted;
        qm::FormatConversions(call.text, &arguments, qm::EscapeTexts::kEverything, kMaxJavaTextBytes, &formatted);
        return formatted;
    }

    // Fills the fields the configuration selects, in a fixed order; false at
    // the first value a filter rejects.
    static bool FillTraceRecord(CQmTraceData& record, const TraceCall& call) {
        return SetIfTraced(record, QM_FIELD_FUNCTION, RecordText(call.function, kMaxJavaTextBytes).c_str()) &&
               (!record.FieldTraced(QM_FIELD_MESSAGE) ||
                record.SetFieldValue(QM_FIELD_MESSAGE, FormatTraceText(call).c_str())) &&
               SetIfTraced(record, QM_FIELD_TRANSACTIONID,
                           RecordText(call.transactionId, kMaxJavaTextBytes).c_str()) &&
               SetIfTraced(record, QM_FIELD_SRCFILE,
                           RecordText(FilePart(call.sourcePath), kMaxJavaFileBytes).c_str()) &&
               SetProcessAndTimeFields(record);
    }

    static void WriteTraceRecord(const TraceCall& call) {
        // The record is large (an inline area per field); skip building one
        // while the logger would refuse it anyway. For id 0 TraceEnabled only
        // says that tracing is on, and ShouldTrace below decides.
        if (!call.logger->TraceEnabled(call.traceId)) {
            return;
        }
        // On the heap: Java threads may run on small stacks.
        std::unique_ptr<CQmTraceData> record(new CQmTraceData());
        record->SetLogger(call.logger);
        if (!call.logger->ShouldTrace(call.traceId, record.get())) {
            return;
        }
        if (FillTraceRecord(*record, call)) {
            AssembleAndLog(*record);
        }
        record->LeaveNoBody();
    }

    static jint TraceMsg(JNIEnv* env, jstring loggerName, jstring sourcePath, jstring function, jint traceId,
                         jstring transactionId, jstring text, jobjectArray array, bool arrayForm) {
        qm::JniUtfChars name(env, loggerName);
        qm::JniUtfChars source(env, sourcePath);
        qm::JniUtfChars functionName(env, function);
        qm::JniUtfChars transaction(env, transactionId);
        qm::JniUtfChars message(env, text);
        CQmLogger* logger = ChooseLogger(name);
        if (logger == nullptr) {
            logger = theLogger();
        }
        qm::JniArgumentStrings arguments(env);
        if (arrayForm && array != nullptr) {
            jsize count = env->GetArrayLength(array);
            if (count > qm::JniArgumentStrings::kMaxArguments) {
                // The warning says the message is not logged, and so it is: a
                // verbatim record would only repeat the text the warning carries.
                TraceTooManyArguments(static_cast<unsigned int>(traceId), __LINE__, kTooManyTraceArguments,
                                      RecordText(message.text(), kMaxJavaTextBytes).c_str());
                return kMessageDone;
            }
            arguments.Fetch(array, count);
        }
        TraceCall call{logger,
                       static_cast<unsigned int>(traceId),
                       source.text(),
                       functionName.text(),
                       transaction.text(),
                       message.text(),
                       arguments.Count() > 0 ? &arguments : nullptr};
        WriteTraceRecord(call);
        return kMessageDone;
    }

    static jboolean TraceEnabled(JNIEnv* env, jstring loggerName, unsigned int traceId) {
        qm::JniUtfChars name(env, loggerName);
        CQmLogger* logger = ChooseLogger(name);
        return logger != nullptr && logger->TraceEnabled(traceId) ? JNI_TRUE : JNI_FALSE;
    }

    // Console for type 0, a file for any other type; null when the output
    // rejects its parameters.
    static CQmLogOutput* NewOutput(CQmLogger* logger, jint type, const char* path, jint mode, jint maxSizeMb,
                                   jint maxBackups) {
        if (type == QM_OUTPUT_CONSOLE) {
            return logger->NewLogOutput(type);
        }
        return logger->NewLogOutput(type, path, mode, maxSizeMb, maxBackups);
    }
};

extern "C" {

JNIEXPORT jint JNICALL Java_com_corvane_qmerrlog_QmLogger_InitializeLog(JNIEnv* env, jclass, jstring loggerName,
                                                                        jint outputType, jstring fileName,
                                                                        jint openMode, jint maxSizeMb,
                                                                        jboolean useLocalTime, jint maxBackups) {
    return Guarded<jint>(0, [&]() -> jint {
        CQmLogOutput* output = nullptr;
        CQmLogger* logger = nullptr;
        {
            qm::JniUtfChars file(env, fileName);
            qm::JniUtfChars name(env, loggerName);
            logger = QmJNIEntryPoint::ChooseLogger(name);
            if (logger == nullptr) {
                return -1;
            }
            if (useLocalTime) {
                logger->UseLocalTime(true);
            }
            output = QmJNIEntryPoint::NewOutput(logger, outputType, file.get(), openMode, maxSizeMb, maxBackups);
        }
        // A null output is refused too, and the logger keeps what it had.
        if (logger->SetLogOutput(output)) {
            return 1;
        }
        logger->DeleteLogOutput(output);
        return 0;
    });
}

JNIEXPORT jint JNICALL Java_com_corvane_qmerrlog_QmLogger_InitializeTrace(
    JNIEnv* env, jclass, jstring loggerName, jint outputType, jstring fileName, jint openMode, jint maxSizeMb,
    jint traceFormat, jstring separator, jstring configFile, jboolean useLocalTime, jint maxBackups) {
    if (configFile == nullptr) {
        return 0;
    }
    return Guarded<jint>(0, [&]() -> jint {
        qm::JniUtfChars config(env, configFile);
        if (config.get() == nullptr) {
            return 0;  // as if no file had been named
        }
        qm::JniUtfChars name(env, loggerName);
        qm::JniUtfChars file(env, fileName);
        qm::JniUtfChars separatorText(env, separator);
        CQmLogger* logger = QmJNIEntryPoint::ChooseLogger(name);
        if (logger == nullptr || config.empty()) {
            return 0;
        }
        CQmLogOutput* output =
            QmJNIEntryPoint::NewOutput(logger, outputType, file.get(), openMode, maxSizeMb, maxBackups);
        // The strings stay held until EnableTrace has read the configuration.
        if (logger->EnableTrace(output, nullptr, traceFormat, separatorText.get(), config.get(),
                                useLocalTime != JNI_FALSE, false, false)) {
            return 1;
        }
        logger->DeleteLogOutput(output);
        return 0;
    });
}

JNIEXPORT jint JNICALL
Java_com_corvane_qmerrlog_QmLogger_LogMsg__Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2(
    JNIEnv* env, jclass, jstring loggerName, jstring sourcePath, jint messageId, jstring argument) {
    return Guarded<jint>(kMessageDone, [&]() -> jint {
        qm::JniUtfChars name(env, loggerName);
        qm::JniUtfChars source(env, sourcePath);
        qm::JniUtfChars text(env, argument);
        CQmLogger* logger = QmJNIEntryPoint::ChooseLogger(name);
        if (logger != nullptr) {
            const char* texts[] = {text.text()};
            QmJNIEntryPoint::WriteLogMessage(logger, source.text(), messageId, texts, 1);
        }
        return kMessageDone;
    });
}

JNIEXPORT jint JNICALL
Java_com_corvane_qmerrlog_QmLogger_LogMsg__Ljava_lang_String_2Ljava_lang_String_2I_3Ljava_lang_String_2(
    JNIEnv* env, jclass, jstring loggerName, jstring sourcePath, jint messageId, jobjectArray array) {
    return Guarded<jint>(kMessageDone, [&]() -> jint {
        qm::JniUtfChars name(env, loggerName);
        qm::JniUtfChars source(env, sourcePath);
        CQmLogger* logger = QmJNIEntryPoint::ChooseLogger(name);
        if (array == nullptr) {
            return kMessageDone;
        }
        jsize count = env->GetArrayLength(array);
        if (count > qm::JniArgumentStrings::kMaxArguments) {
            // Traced under the message's component, the part a trace component id keeps.
            QmJNIEntryPoint::TraceTooManyArguments(QmTraceComponentIdOf(static_cast<unsigned int>(messageId)),
                                                   __LINE__, kTooManyLogArguments, messageId);
            return kMessageDone;
        }
        qm::JniArgumentStrings arguments(env);
        arguments.Fetch(array, count);
        if (count > 0 && logger != nullptr) {
            const char* texts[qm::JniArgumentStrings::kMaxArguments];
            for (int i = 0; i < qm::JniArgumentStrings::kMaxArguments; ++i) texts[i] = arguments[i];
            QmJNIEntryPoint::WriteLogMessage(logger, source.text(), messageId, texts, arguments.Count());
        }
        return kMessageDone;
    });
}

JNIEXPORT jint JNICALL
Java_com_corvane_qmerrlog_QmLogger_TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2(
    JNIEnv* env, jclass, jstring loggerName, jstring sourcePath, jstring function, jint traceId,
    jstring transactionId, jstring text) {
    return Guarded<jint>(kMessageDone, [&]() -> jint {
        return QmJNIEntryPoint::TraceMsg(env, loggerName, sourcePath, function, traceId, transactionId, text,
                                         nullptr, false);
    });
}

JNIEXPORT jint JNICALL
Java_com_corvane_qmerrlog_QmLogger_TraceMsg__Ljava_lang_String_2Ljava_lang_String_2Ljava_lang_String_2ILjava_lang_String_2Ljava_lang_String_2_3Ljava_lang_String_2(
    JNIEnv* env, jclass, jstring loggerName, jstring sourcePath, jstring function, jint traceId,
    jstring transactionId, jstring text, jobjectArray array) {
    return Guarded<jint>(kMessageDone, [&]() -> jint {
        return QmJNIEntryPoint::TraceMsg(env, loggerName, sourcePath, function, traceId, transactionId, text,
                                         array, true);
    });
}

JNIEXPORT jboolean JNICALL Java_com_corvane_qmerrlog_QmLogger_TraceEnabled(JNIEnv* env, jclass,
                                                                           jstring loggerName) {
    return Guarded<jboolean>(JNI_FALSE,
                             [&]() -> jboolean { return QmJNIEntryPoint::TraceEnabled(env, loggerName, 0); });
}

JNIEXPORT jboolean JNICALL Java_com_corvane_qmerrlog_QmLogger_TraceEnabledComponent(JNIEnv* env, jclass,
                                                                                    jstring loggerName,
                                                                                    jint traceComponentId) {
    return Guarded<jboolean>(JNI_FALSE, [&]() -> jboolean {
        return QmJNIEntryPoint::TraceEnabled(env, loggerName, static_cast<unsigned int>(traceComponentId));
    });
}

}  // extern "C"
