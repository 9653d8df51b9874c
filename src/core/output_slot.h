// Emptying a logger's output slot: an output that leaves a slot is always
// closed and deleted, never handed back — except on a refused install, where
// HandBack leaves it closed and the caller's.
#pragma once

#include <atomic>

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

}  // namespace qm
