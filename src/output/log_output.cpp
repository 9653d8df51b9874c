// Defaults shared by every output: nothing to flush, no buffering, delivery
// on the logging thread.
#include "qmerrlog/outputs.h"

CQmLogOutput::~CQmLogOutput() = default;

bool CQmLogOutput::Flush() {
    return true;
}

void CQmLogOutput::EnableBuffering(bool) {}

bool CQmLogOutput::IsBufferingEnabled() {
    return false;
}

bool CQmLogOutput::IsBufferingSupported() {
    return false;
}

bool CQmLogOutput::IsAsync() {
    return false;
}
