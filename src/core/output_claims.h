// Which outputs sit in a slot of some logger. An output is in one slot of one
// logger at most: a second install anywhere would give two owners the right
// to close and delete it.
#pragma once

class CQmErrLogCriticalSection;
class CQmLogOutput;

namespace qm {

// True when the output was in no slot and now counts as installed.
bool ClaimOutput(CQmLogOutput* output);
// The output leaves its slot (it may be deleted next).
void UnclaimOutput(CQmLogOutput* output);
bool OutputClaimed(CQmLogOutput* output);

// The claims' lock: fork() holds it while the process is copied.
CQmErrLogCriticalSection& OutputClaimsLock();

}  // namespace qm
