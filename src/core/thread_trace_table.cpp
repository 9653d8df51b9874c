#include "core/thread_trace_table.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <new>
#include <vector>

#include "core/thread_trace_pool.h"
#include "platform/no_destructor.h"
#include "platform/thread_slot.h"
#include "qmerrlog/locks.h"
#include "qmerrlog/registry.h"

namespace qm {
namespace thread_trace_table {

// Read without a lock on every ShouldTraceAlloc; written under the pool's lock.
std::atomic<unsigned long> g_slot{kNoSlot};

}  // namespace thread_trace_table
}  // namespace qm

namespace {

using qm::thread_trace_table::Cell;
using qm::thread_trace_table::g_slot;
using qm::thread_trace_table::kNoSlot;

// The first table, and the first room for indexes given back, cover the
// default logger and a few named ones.
constexpr std::size_t kFirstTableCount = 16;

// The indexes and the slot's end. Guarded by the pool's lock, so that fork()
// copies it whole; never destroyed, like the pool.
struct TableState {
    unsigned long next = 0;            // never handed out yet
    std::vector<unsigned long> spare;  // a min-heap: low indexes keep tables short
    bool slotFreed = false;
};

TableState& TheState() {
    static qm::NoDestructor<TableState> state;
    return *state;
}

// The slot's exit hook: gives back every entry the ending thread holds, then
// its table.
void ReturnThreadTable(void* value) {
    Cell* table = static_cast<Cell*>(value);
    if (table == nullptr) return;
    {
        CQmErrLogPrivAutoCS hold(qm::ThreadTracePoolLock());
        for (std::size_t i = 1; i <= table[0].count; ++i) {
            if (table[i].entry != nullptr) table[i].entry->isFree = true;
        }
    }
    ::operator delete(table);
}

// The slot, taken on first need; kNoSlot when the platform has none left or
// the process is exiting.
unsigned long TheSlot() {
    const unsigned long slot = g_slot.load(std::memory_order_acquire);
    if (slot != kNoSlot) return slot;
    // Not under the pool's lock: on Win32 the exit hooks run under the slot
    // table's lock and take the pool's, so the reverse order must not occur.
    unsigned long fresh = kNoSlot;
    if (!qm::platform::AllocThreadSlot(&fresh, &ReturnThreadTable)) return kNoSlot;
    bool kept = false;
    {
        CQmErrLogPrivAutoCS hold(qm::ThreadTracePoolLock());
        if (!TheState().slotFreed && g_slot.load(std::memory_order_relaxed) == kNoSlot) {
            g_slot.store(fresh, std::memory_order_release);
            kept = true;
        }
    }
    // Another thread was first, or the process is exiting.
    if (!kept) qm::platform::FreeThreadSlot(fresh);
    return g_slot.load(std::memory_order_acquire);
}

// The thread's table with a cell for index, or null when there is no memory
// for it (the thread keeps its table as it was).
Cell* TableWithRoomFor(unsigned long slot, Cell* table, unsigned long index) {
    const std::size_t oldCount = table != nullptr ? table[0].count : 0;
    if (index < oldCount) return table;
    const std::size_t count = std::max({static_cast<std::size_t>(index) + 1, oldCount * 2, kFirstTableCount});
    Cell* grown = static_cast<Cell*>(::operator new(sizeof(Cell) * (count + 1), std::nothrow));
    if (grown == nullptr) return nullptr;
    grown[0].count = count;
    for (std::size_t i = 1; i <= count; ++i) grown[i].entry = i <= oldCount ? table[i].entry : nullptr;
    qm::platform::SetThreadSlotValue(slot, grown);
    // A platform without room for the thread's value keeps none.
    if (qm::platform::GetThreadSlotValue(slot) != grown) {
        ::operator delete(grown);
        return nullptr;
    }
    ::operator delete(table);
    return grown;
}

}  // namespace

namespace qm {

bool TakeTraceThreadIndex(unsigned long* index) {
    if (index == nullptr) return false;
    TableState& state = TheState();
    CQmErrLogPrivAutoCS hold(ThreadTracePoolLock());
    if (!state.spare.empty()) {
        std::pop_heap(state.spare.begin(), state.spare.end(), std::greater<unsigned long>());
        *index = state.spare.back();
        state.spare.pop_back();
        return true;
    }
    // Room for every index handed out to come back, made now.
    if (state.spare.capacity() <= state.next) {
        try {
            state.spare.reserve(std::max<std::size_t>(state.spare.capacity() * 2, kFirstTableCount));
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    *index = state.next++;
    return true;
}

void GiveBackTraceThreadIndex(unsigned long index) {
    TableState& state = TheState();
    CQmErrLogPrivAutoCS hold(ThreadTracePoolLock());
    state.spare.push_back(index);
    std::push_heap(state.spare.begin(), state.spare.end(), std::greater<unsigned long>());
}

ThreadTraceData* thread_trace_table::TakeEntry(unsigned long index) {
    const unsigned long slot = TheSlot();
    if (slot == kNoSlot) return nullptr;
    Cell* table = TableWithRoomFor(slot, static_cast<Cell*>(qm::platform::GetThreadSlotValue(slot)), index);
    if (table == nullptr) return nullptr;
    ThreadTraceData*& cell = table[index + 1].entry;
    if (cell == nullptr) {
        try {
            cell = GetThreadTraceData();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return cell;
}

void FreeTraceThreadSlotAtExit() {
    unsigned long slot = kNoSlot;
    {
        CQmErrLogPrivAutoCS hold(ThreadTracePoolLock());
        TheState().slotFreed = true;
        slot = g_slot.exchange(kNoSlot, std::memory_order_acq_rel);
    }
    if (slot != kNoSlot) platform::FreeThreadSlot(slot);
}

}  // namespace qm
