// The process id, read from the system once and shared by the log line prolog,
// CQmErrLogMessage::GetPid and the Pid trace field.
#pragma once

namespace qm {

int CachedProcessId();

}  // namespace qm
