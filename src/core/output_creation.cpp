// CQmLogger::NewLogOutput and DeleteLogOutput. The overload alone picks the
// output class (the type argument is the caller's note to itself); neither
// operation touches the logger's state, so any logger will do, from any
// thread.
#include <new>

#include "core/output_claims.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/outputs.h"
#include "platform/error_state.h"

namespace {

// A new output configured with args, or null when it cannot be allocated or
// refuses its parameters.
template <typename Output, typename... Args>
CQmLogOutput* CreateOutput(Args... args) {
    Output* output = new (std::nothrow) Output();
    if (output == nullptr) return nullptr;
    if (!output->SetParams(args...)) {
        delete output;
        return nullptr;
    }
    return output;
}

}  // namespace

CQmLogOutput* CQmLogger::NewLogOutput(int) {
    return CreateOutput<CQmConsoleOutput>();
}

CQmLogOutput* CQmLogger::NewLogOutput(int, const char* path, int mode, int maxSizeMb, int maxBackups) {
    return CreateOutput<CQmFileOutput>(path, mode, maxSizeMb, maxBackups);
}

CQmLogOutput* CQmLogger::NewLogOutput(int, QmSyncCallback callback) {
    return CreateOutput<CQmSyncCallbackOutput>(callback);
}

CQmLogOutput* CQmLogger::NewLogOutput(int, QmSyncParameterizedCallback callback, void* user) {
    return CreateOutput<CQmSyncParameterizedCallbackOutput>(callback, user);
}

CQmLogOutput* CQmLogger::NewLogOutput(int, QmAsyncCallback callback) {
    return CreateOutput<CQmAsyncCallbackOutput>(callback);
}

CQmLogOutput* CQmLogger::NewLogOutput(int, QmAsyncParameterizedCallback callback, void* user) {
    return CreateOutput<CQmAsyncParameterizedCallbackOutput>(callback, user);
}

CQmLogOutput* CQmLogger::NewLogOutput(int, const char* target, const char* appName, int facility,
                                      int auditFacility) {
    return CreateOutput<CQmSyslogOutput>(target, appName, facility, auditFacility);
}

void CQmLogger::DeleteLogOutput(CQmLogOutput* output) {
    const qm::platform::CallerErrorState keepCallersErrno;
    // An output in a slot belongs to that slot: deleting it here would leave
    // the slot with a dead object.
    if (output == nullptr || qm::OutputClaimed(output)) return;
    // Outputs of the program's own classes carry other codes and stay its own.
    const int type = output->GetType();
    if (type >= QM_OUTPUT_CONSOLE && type <= QM_OUTPUT_ASYNC_PARAM_CALLBACK) {
        delete output;
    } else if (type == QM_OUTPUT_SYSLOG && dynamic_cast<CQmSyslogOutput*>(output) != nullptr) {
        // Code 6 came after programs were free to give their own outputs any
        // code: only a real syslog output is the library's to delete.
        delete output;
    }
}
