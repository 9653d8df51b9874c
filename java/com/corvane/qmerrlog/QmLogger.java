package com.corvane.qmerrlog;

/**
 * Java entry to the qmerrlog native library: error log lines written by
 * message id, trace records, and the set-up of both.
 *
 * <p>Every method names the logger it works on. A {@code null} or empty name
 * selects the process-wide default logger; any other name selects the named
 * logger of that name (case-sensitive), created on its first use and shared
 * with native code of the same process that asks for the same name.
 *
 * <p>A typical start:
 * <pre>{@code
 * QmLogger.InitializeLog("orders", QmLogger.OUTPUT_FILE, "/var/log/orders.log",
 *         QmLogger.MODE_APPEND_SIZE_LIMITED, 10, true, 5);
 * QmLogger.InitializeTrace("orders", QmLogger.OUTPUT_FILE, "/var/log/orders.trace",
 *         QmLogger.MODE_TRUNCATE, 0, QmLogger.FORMAT_BRACKETED, null,
 *         "/etc/orders/trace.cfg", true, 0);
 * int id = QmLogger.messageId(1, QmLogger.TYPE_INFO, 1);
 * QmLogger.LogMsg("orders", "Orders.java", id, "service started");
 * int legacy = QmLogger.traceComponentId(1, 1);
 * if (QmLogger.TraceEnabledComponent("orders", legacy)) {
 *     QmLogger.TraceMsg("orders", "Orders.java", "submit", legacy, txId,
 *             "order %s for %s", new String[] {orderNo, customer});
 * }
 * }</pre>
 *
 * <p>The methods are thread-safe and never throw: {@code LogMsg} and
 * {@code TraceMsg} always return 1, and a record that cannot be written
 * (no output, tracing off, a field filter rejecting a value) is dropped
 * silently. Strings reach the log files as their modified UTF-8 bytes.
 *
 * <p>The class loads the native library {@code qmerrlog} from
 * {@code java.library.path} when it is initialised. Set the system property
 * {@value #LIBRARY_PATH_PROPERTY} to the absolute path of the library file to
 * load that file instead.
 */
public final class QmLogger {

    /** System property naming the absolute path of the native library file. */
    public static final String LIBRARY_PATH_PROPERTY = "qmerrlog.library.path";

    static {
        String path = System.getProperty(LIBRARY_PATH_PROPERTY);
        if (path != null && !path.isEmpty()) {
            System.load(path);
        } else {
            System.loadLibrary("qmerrlog");
        }
    }

    private QmLogger() {
    }

    // ---- Output types ------------------------------------------------------

    /** Output type: the process's standard output. File arguments are ignored. */
    public static final int OUTPUT_CONSOLE = 0;
    /** Output type: a file (any type other than {@link #OUTPUT_CONSOLE} means a file). */
    public static final int OUTPUT_FILE = 1;

    // ---- Open modes of file outputs ----------------------------------------

    /** An existing file is truncated. No size limit. */
    public static final int MODE_TRUNCATE = 0;
    /** An existing file is appended to. No size limit. */
    public static final int MODE_APPEND = 1;
    /** An existing file is renamed to a time-stamped backup and a new file started. No size limit. */
    public static final int MODE_ROLL_ASIDE = 2;
    /**
     * An existing file is appended to; when a line would reach the size limit the
     * file is renamed to a time-stamped backup ({@code name_YYYYMMDD_HHMMSS.ext})
     * and a new one started, keeping at most the given number of backups.
     */
    public static final int MODE_APPEND_SIZE_LIMITED = 3;
    /** As {@link #MODE_ROLL_ASIDE}, then size-limited as {@link #MODE_APPEND_SIZE_LIMITED}. */
    public static final int MODE_ROLL_ASIDE_SIZE_LIMITED = 4;

    // ---- Trace record layouts ----------------------------------------------

    /** Trace layout: every field in square brackets, {@code [value][value]}. */
    public static final int FORMAT_BRACKETED = 0;
    /** Trace layout: fixed-width columns. */
    public static final int FORMAT_COLUMN = 1;
    /** Trace layout: fields joined by the separator given to {@link #InitializeTrace}. */
    public static final int FORMAT_DELIMITED = 2;
    /** Trace layout: one XML-like element per field, no heading lines. */
    public static final int FORMAT_TAGGED = 3;
    /**
     * Trace layout: one JSON object a line, keys the field names in configured
     * order, numbers and truth values bare, texts as strings; no heading lines.
     */
    public static final int FORMAT_JSON_LINES = 4;

    // ---- Message types (bits 14 and 15 of a message id) ---------------------

    /** Message type written as {@code [INFO]}. */
    public static final int TYPE_INFO = 1;
    /** Message type written as {@code [WARNING]}. */
    public static final int TYPE_WARNING = 2;
    /** Message type written as {@code [ERROR]}. */
    public static final int TYPE_ERROR = 3;

    // ---- Results -------------------------------------------------------------

    /** Result of {@link #InitializeLog} and {@link #InitializeTrace}: done. */
    public static final int RESULT_OK = 1;
    /** Result of {@link #InitializeLog} and {@link #InitializeTrace}: no output attached. */
    public static final int RESULT_FAILED = 0;
    /** Result of {@link #InitializeLog}: no logger could be obtained. */
    public static final int RESULT_NO_LOGGER = -1;

    /** Most argument strings one message takes; a longer array is refused. */
    public static final int MAX_ARGUMENTS = 5;

    /**
     * Builds a message id: component number in bits 24 to 31, message type in
     * bits 14 and 15, message number in bits 0 to 13. Component 1 is the
     * library's own catalogue, whose messages 1 to 3 print their first argument.
     *
     * @param component component number, 1 to 255
     * @param type      {@link #TYPE_INFO}, {@link #TYPE_WARNING} or {@link #TYPE_ERROR}
     * @param number    message number within the component, 0 to 16383
     * @return the message id
     */
    public static int messageId(int component, int type, int number) {
        return (component & 0xFF) << 24 | (type & 3) << 14 | (number & 0x3FFF);
    }

    /**
     * Builds a trace component id: component number in bits 24 to 31, trace
     * component number in bits 16 to 23, low 16 bits zero. Trace component 0
     * stands for the whole component; the library's own component 1 has the
     * trace component 1, named {@code Log/Legacy} in trace configurations.
     *
     * @param component      component number, 1 to 255
     * @param traceComponent trace component number, 0 to 255
     * @return the trace component id
     */
    public static int traceComponentId(int component, int traceComponent) {
        return (component & 0xFF) << 24 | (traceComponent & 0xFF) << 16;
    }

    /**
     * Attaches a new error log output to a logger, replacing (and closing) the
     * one it had.
     *
     * @param loggerName   logger name; {@code null} or empty for the default logger
     * @param outputType   {@link #OUTPUT_CONSOLE}, or any other value for a file
     * @param fileName     path of the log file (ignored for the console)
     * @param openMode     one of the {@code MODE_} constants, 0 to 4
     * @param maxSizeMb    size limit in megabytes for modes 3 and 4, not negative
     * @param useLocalTime true to show local time in the lines' prologs; false
     *                     leaves the logger's setting as it is (UTC at first)
     * @param maxBackups   most rolled-over files kept, 0 for no limit, not negative
     * @return {@link #RESULT_OK} when attached; {@link #RESULT_FAILED} when the
     *         output rejected its arguments or could not be opened (an output
     *         that failed to open leaves the logger without a log output);
     *         {@link #RESULT_NO_LOGGER} when no logger could be obtained
     */
    public static native int InitializeLog(String loggerName, int outputType, String fileName,
            int openMode, int maxSizeMb, boolean useLocalTime, int maxBackups);

    /**
     * Switches tracing on for a logger with a new trace output and a trace
     * configuration file, replacing the trace set-up it had. The configuration
     * file holds a {@code components:} line naming the traced components (for
     * instance {@code Log/Legacy}), a {@code data:} line naming the fields of
     * every record in order (for instance {@code Date, Time, Function, Message}),
     * then any number of filter lines such as {@code TransactionID ==T1}; lines
     * starting with {@code #} are comments. A heading of field names is written
     * first, except in {@link #FORMAT_TAGGED} and {@link #FORMAT_JSON_LINES}.
     *
     * @param loggerName   logger name; {@code null} or empty for the default logger
     * @param outputType   {@link #OUTPUT_CONSOLE}, or any other value for a file
     * @param fileName     path of the trace file (ignored for the console)
     * @param openMode     one of the {@code MODE_} constants, 0 to 4
     * @param maxSizeMb    size limit in megabytes for modes 3 and 4
     * @param traceFormat  one of the {@code FORMAT_} constants
     * @param separator    separator of {@link #FORMAT_DELIMITED}; may be {@code null}
     * @param configFile   path of the trace configuration file; required
     * @param useLocalTime true for local time in records (and from then on in the
     *                     logger's log lines), false for UTC
     * @param maxBackups   most rolled-over files kept, 0 for no limit
     * @return {@link #RESULT_OK} when tracing is on with the new output,
     *         otherwise {@link #RESULT_FAILED} (no or empty configuration file
     *         name, unreadable or malformed configuration, bad file arguments)
     */
    public static native int InitializeTrace(String loggerName, int outputType, String fileName,
            int openMode, int maxSizeMb, int traceFormat, String separator, String configFile,
            boolean useLocalTime, int maxBackups);

    /**
     * Writes a log line: a prolog of process and thread ids, date, time and the
     * file part of {@code sourceFile}, then the message's type word and its
     * catalogue text formatted with {@code argument}: a {@code %s} takes the
     * string, a numeric conversion such as {@code %d} or {@code %lu} the number
     * it reads as (else the string itself), and any conversion after the first
     * an empty text. Control characters of the string are escaped, so it cannot
     * break the line. Without a catalogue text for the id only the prolog is
     * written, ended by its line feed.
     *
     * @param loggerName logger name; {@code null} or empty for the default logger
     * @param sourceFile path of the calling source file; {@code null} for none
     * @param messageId  message id, see {@link #messageId}
     * @param argument   the message's argument; {@code null} counts as empty
     * @return 1
     */
    public static native int LogMsg(String loggerName, String sourceFile, int messageId,
            String argument);

    /**
     * Writes a log line as {@link #LogMsg(String, String, int, String)}, with up to
     * {@value #MAX_ARGUMENTS} arguments ({@code null} elements count as empty). A
     * {@code null} or empty array writes nothing. A longer array writes nothing
     * either; instead, when the default logger traces the message's component,
     * it traces a warning that carries the message id.
     *
     * @param loggerName logger name; {@code null} or empty for the default logger
     * @param sourceFile path of the calling source file; {@code null} for none
     * @param messageId  message id, see {@link #messageId}
     * @param arguments  the message's arguments
     * @return 1
     */
    public static native int LogMsg(String loggerName, String sourceFile, int messageId,
            String[] arguments);

    /**
     * Writes a trace record when the logger traces the component of
     * {@code traceId}. The record holds the fields its configuration selects:
     * {@code Function}, {@code Message} (the text verbatim, {@code %} signs
     * included), {@code TransactionID}, {@code SrcFile} (the file part of
     * {@code sourceFile}), process and thread ids, date and time. When a
     * configured filter rejects a value nothing is written. Control characters
     * of every string are escaped ({@code \n}, {@code \r}, {@code \x1b}), so no
     * string can break the record; {@code Message}, {@code Function} and
     * {@code TransactionID} keep at most 4095 bytes, {@code SrcFile} 255.
     *
     * @param loggerName    logger name; {@code null} or empty for the default logger
     * @param sourceFile    path of the calling source file; may be {@code null}
     * @param function      name of the calling function; may be {@code null}
     * @param traceId       trace component id, see {@link #traceComponentId}
     * @param transactionId transaction id; may be {@code null}
     * @param message       the message text; may be {@code null}
     * @return 1
     */
    public static native int TraceMsg(String loggerName, String sourceFile, String function,
            int traceId, String transactionId, String message);

    /**
     * Writes a trace record as {@link #TraceMsg(String, String, String, int, String, String)},
     * with {@code message} used as a printf format for up to {@value #MAX_ARGUMENTS}
     * string arguments, taken in turn (or by {@code n$} position): {@code %s}
     * takes the string, {@code %d}, {@code %u}, {@code %x}, {@code %f} and the
     * other numeric conversions the number the string reads as (the string
     * itself when it reads as none), and a conversion beyond the last string
     * an empty text; {@code null} elements count as empty. Widths and
     * precisions above 4095 count as 4095. A {@code null} or empty array traces
     * the text verbatim.
     * A longer array traces nothing but a warning through the default logger.
     *
     * @param loggerName    logger name; {@code null} or empty for the default logger
     * @param sourceFile    path of the calling source file; may be {@code null}
     * @param function      name of the calling function; may be {@code null}
     * @param traceId       trace component id, see {@link #traceComponentId}
     * @param transactionId transaction id; may be {@code null}
     * @param message       the format of the message text; may be {@code null}
     * @param arguments     the arguments of the format
     * @return 1
     */
    public static native int TraceMsg(String loggerName, String sourceFile, String function,
            int traceId, String transactionId, String message, String[] arguments);

    /**
     * Whether tracing is on for a logger at all.
     *
     * @param loggerName logger name; {@code null} or empty for the default logger
     * @return true while the logger has a trace configuration and a trace output
     */
    public static native boolean TraceEnabled(String loggerName);

    /**
     * Whether a logger traces a component; worth asking before building an
     * expensive trace message.
     *
     * @param loggerName       logger name; {@code null} or empty for the default logger
     * @param traceComponentId trace component id, see {@link #traceComponentId}
     * @return true when tracing is on and the configuration selects the component
     */
    public static native boolean TraceEnabledComponent(String loggerName, int traceComponentId);
}
