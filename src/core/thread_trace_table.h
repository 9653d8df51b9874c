// Which pool entry a thread uses for which logger. Every logger takes a small
// index; each thread keeps the entries it took in a table of its own, by
// index, reached through one platform thread slot for the whole library. So
// the count of loggers is bounded by memory, not by the platform's slots
// (a process has about a thousand, shared with the rest of the host).
#pragma once

#include <atomic>
#include <cstddef>

#include "platform/thread_slot.h"

struct ThreadTraceData;

namespace qm {

// A logger's index. A released logger's index is handed to the next logger:
// a thread still holding an entry through it keeps that entry (and gives it
// back when it ends), and the next logger simply reuses the thread's entry.
// False only when no memory is left.
bool TakeTraceThreadIndex(unsigned long* index);
// Never allocates, never fails: room for every index given back was made
// when it was taken.
void GiveBackTraceThreadIndex(unsigned long index);

// At exit (which, for a shared library, is also its unloading): frees the
// platform slot, so no thread that ends later runs an exit hook whose code
// may be gone. No entry is handed out through a table afterwards.
void FreeTraceThreadSlotAtExit();

namespace thread_trace_table {

constexpr unsigned long kNoSlot = ~0ul;

// A thread's table is one block: the count of cells, then one cell per
// index, null until the thread asks through that index.
union Cell {
    std::size_t count;
    ThreadTraceData* entry;
};

// The library's one slot: kNoSlot until first needed, and again from exit on.
extern std::atomic<unsigned long> g_slot;

// The entry for index, taken from the pool (growing the thread's table, and
// taking the slot, on need); null when it cannot be had.
ThreadTraceData* TakeEntry(unsigned long index);

}  // namespace thread_trace_table

// The entry the calling thread already holds for a logger's index, or null:
// never takes one.
inline ThreadTraceData* HeldThreadTraceEntry(unsigned long index) {
    using thread_trace_table::Cell;
    const unsigned long slot = thread_trace_table::g_slot.load(std::memory_order_acquire);
    if (slot == thread_trace_table::kNoSlot) return nullptr;
    const Cell* table = static_cast<const Cell*>(platform::GetThreadSlotValue(slot));
    return table != nullptr && index < table[0].count ? table[index + 1].entry : nullptr;
}

// The calling thread's entry for a logger's index, taken from the pool on
// the thread's first need. Null when it cannot be had: no memory for the
// entry or a larger table, no platform slot, or the process is exiting.
// Inline, since every ShouldTraceAlloc asks: once the thread holds the entry
// this is one slot lookup, a bounds check and the cell.
inline ThreadTraceData* ThreadTraceEntry(unsigned long index) {
    if (ThreadTraceData* held = HeldThreadTraceEntry(index)) return held;
    return thread_trace_table::TakeEntry(index);
}

}  // namespace qm
