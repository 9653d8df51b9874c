// A logger's output slot: an output that leaves a slot is always closed and
// deleted, never handed back; an output refused at install stays the
// caller's, closed.
#pragma once

#include <atomic>

#include "core/logger_lifecycle.h"
#include "core/output_claims.h"
#include "qmerrlog/outputs.h"

namespace qm {

inline void CloseAndDelete(CQmLogOutput*& output) {
    if (output == nullptr) return;
    output->Close();
    UnclaimOutput(output);
    delete output;
    output = nullptr;
}

inline void CloseAndDelete(std::atomic<CQmLogOutput*>& slot) {
    CQmLogOutput* output = slot.exchange(nullptr, std::memory_order_relaxed);
    CloseAndDelete(output);
}

// Installs output in slot, under the slot's writer guard. The output already
// there handed in again stays installed and open (closing and deleting it
// first would leave the caller a dead object); one in a slot anywhere else
// stays there. Otherwise the previous output is closed and deleted before
// the new one opens, so the two never hold one file at once.
inline bool InstallOutput(CQmLogOutput*& slot, CQmLogOutput* output) {
    if (output == nullptr) return false;
    if (output == slot) return true;
    if (ProcessExiting() || !ClaimOutput(output)) return false;
    CloseAndDelete(slot);
    if (!output->Open()) {
        UnclaimOutput(output);
        return false;
    }
    slot = output;
    return true;
}

}  // namespace qm
