// Emptying a logger's output slot: an output that leaves a slot is always
// closed and deleted, never handed back.
#pragma once

#include <atomic>

#include "qmerrlog/outputs.h"

namespace qm {

inline void CloseAndDelete(CQmLogOutput*& output) {
    if (output == nullptr) return;
    output->Close();
    delete output;
    output = nullptr;
}

inline void CloseAndDelete(std::atomic<CQmLogOutput*>& slot) {
    CQmLogOutput* output = slot.exchange(nullptr, std::memory_order_relaxed);
    CloseAndDelete(output);
}

}  // namespace qm
