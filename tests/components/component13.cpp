// Test library in row 13 that logs through the library (it links qmerrlog)
// but misspells its entry: the loader would find the library's own
// GetComponentPtr among its dependencies, which must not fill this slot.
#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"

#if defined(_WIN32)
#define QM_COMPONENT13_EXPORT __declspec(dllexport)
#else
#define QM_COMPONENT13_EXPORT __attribute__((visibility("default")))
#endif

extern "C" QM_COMPONENT13_EXPORT void* GetComponentPointer() {
    return nullptr;
}

// Uses the library, so that the link keeps it as a dependency.
extern "C" QM_COMPONENT13_EXPORT bool QmTestLogThroughTheLibrary() {
    CQmErrLogMessage message(false);
    return message.FormatLogProlog("component13.cpp", __LINE__, 0) && theLogger()->LogErrMsg(message);
}
