#include "core/catalogue.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#include "platform/dynamic_library.h"
#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/tracedata.h"

namespace qm {

namespace {

typedef CQmErrLogComponent* (*GetComponentPtrFunction)();

// Loggers may start and stop on different threads at once, and a library
// loaded by several loggers hands each of them the same component object, so
// its handle cell and the class-wide unload flag change under this lock.
// Constant-initialised: usable from any static's constructor or destructor.
std::mutex g_libraryLock;

// A trace component number has 8 bits; past that an id would spill into the
// component number, so later trace components are not offered at all.
constexpr int kMaxTraceComponents = 255;

// Growth of the component info table once the first estimate is used up.
constexpr int kInfoTableGrowth = 50;
constexpr int kInfoEntriesPerComponent = 10;

// The known libraries are looked up once per process and shared by every
// logger: a lookup costs a few failed opens per library that is not there,
// which would make each named logger cost milliseconds. Under g_libraryLock.
struct SharedComponent {
    bool lookedUp;
    CQmErrLogComponent* component;  // null: not there, or offers nothing
    int holders;                    // loggers whose tables hold it
};
SharedComponent g_sharedComponents[kKnownComponentCount];

// Bumped whenever a library is given back, so that a library loaded again at
// the same address is never taken for the one whose info was built before.
// Under g_libraryLock.
unsigned long g_componentSetVersion = 0;

// One built info per distinct component table, newest first; never freed.
// Under g_libraryLock.
struct ComponentInfoEntry {
    CQmErrLogComponent* table[kKnownComponentCount];
    int count;
    unsigned long setVersion;
    SharedComponentInfo shared;
    ComponentInfoEntry* next;
};
ComponentInfoEntry* g_componentInfos = nullptr;

const char kListSeparator[] = " | ";
constexpr std::size_t kListSeparatorLength = sizeof kListSeparator - 1;

CQmErrLogComponent* LoadComponentLibraryLocked(const char* libraryName) {
    if (libraryName == nullptr) return nullptr;
    void* library = platform::LoadLibraryByName(libraryName);
    if (library == nullptr) return nullptr;
    // A library without the entry, or whose entry offers nothing, is given
    // back at once: its slot stays empty as if it had not loaded.
    auto entry =
        reinterpret_cast<GetComponentPtrFunction>(platform::FindLibrarySymbol(library, "GetComponentPtr"));
    CQmErrLogComponent* component = entry != nullptr ? entry() : nullptr;
    if (component == nullptr) {
        platform::FreeLibraryHandle(library);
        return nullptr;
    }
    if (component->GetLibraryHandle() != nullptr) {
        // Another logger loaded this library before and the loader handed us
        // the same handle again: share its cell, so the one unload the process
        // performs frees it and no cell is left behind.
        return component;
    }
    void** cell = new (std::nothrow) void*(library);
    if (cell == nullptr) {
        platform::FreeLibraryHandle(library);
        return nullptr;
    }
    component->SetLibraryHandle(cell);
    return component;
}

void UnloadComponentLibraryLocked(CQmErrLogComponent* component) {
    if (component == nullptr) return;
    void** cell = component->GetLibraryHandle();
    if (cell == nullptr) return;
    // Cleared before the library goes: the object may outlive this unload
    // when other loggers still hold the library.
    component->SetLibraryHandle(nullptr);
    ++g_componentSetVersion;
    platform::FreeLibraryHandle(*cell);
    delete cell;
}

// Appends one entry, growing the table when it is full. False only when
// memory is exhausted; the table is then unchanged.
bool AppendInfo(QmTraceComponentInfo** info, int* infoCount, int* capacity, unsigned int id, const char* name) {
    if (*infoCount >= *capacity) {
        const int grown = *capacity + kInfoTableGrowth;
        QmTraceComponentInfo* bigger = new (std::nothrow) QmTraceComponentInfo[grown]();
        if (bigger == nullptr) return false;
        for (int i = 0; i < *infoCount; ++i) bigger[i] = (*info)[i];
        std::swap(*info, bigger);
        delete[] bigger;
        *capacity = grown;
    }
    QmTraceComponentInfo& entry = (*info)[(*infoCount)++];
    entry.selected = false;
    entry.id = id;
    entry.name = name;
    return true;
}

// "Display/Trace", owned by the info table.
char* NewTraceComponentName(const char* displayName, const std::string& traceName) {
    const std::string joined = std::string(displayName) + '/' + traceName;
    char* name = new (std::nothrow) char[joined.size() + 1];
    if (name != nullptr) std::memcpy(name, joined.c_str(), joined.size() + 1);
    return name;
}

// The descriptor's name is a fixed array that a careless component may fill
// to the brim: never read past it.
std::string TraceComponentName(const QmTraceComponentDesc& trace) {
    const void* end = std::memchr(trace.name, '\0', sizeof trace.name);
    const std::size_t length =
        end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - trace.name) : sizeof trace.name;
    return std::string(trace.name, length);
}

// Trace component entries carry a trace component number and own their name;
// component entries borrow the display name.
bool IsTraceComponentEntry(const QmTraceComponentInfo& entry) {
    return QmTraceComponentNumber(entry.id) != 0;
}

void AppendComponent(CQmErrLogComponent* component, std::string* listText, QmTraceComponentInfo** info,
                     int* infoCount, int* capacity) {
    const char* displayName = component->GetDisplayName() != nullptr ? component->GetDisplayName() : "";
    const char* description = component->GetDescription() != nullptr ? component->GetDescription() : "";
    listText->append(displayName).append(" ; ").append(description);
    // Only the component number of the id is the component's to choose; stray
    // lower bits would make its entry look like a trace component's.
    const unsigned int componentId = component->GetComponentId() & QM_COMPONENT_MASK;
    AppendInfo(info, infoCount, capacity, componentId, displayName);

    int traceCount = 0;
    QmTraceComponentDesc* traces = nullptr;
    component->GetTraceComponents(&traceCount, &traces);
    if (traces == nullptr || traceCount < 0) traceCount = 0;
    if (traceCount > kMaxTraceComponents) traceCount = kMaxTraceComponents;
    if (traceCount != 0) listText->append(" : ");
    for (int j = 0; j < traceCount; ++j) {
        const QmTraceComponentDesc& trace = traces[j];
        const std::string traceName = TraceComponentName(trace);
        listText->append(traceName).append(" ; ").append(trace.description != nullptr ? trace.description : "");
        if (j + 1 < traceCount) listText->append("&");
        char* name = NewTraceComponentName(displayName, traceName);
        if (name == nullptr) continue;
        const unsigned int id =
            QmTraceComponentId(QmComponentNumber(componentId), static_cast<unsigned int>(j + 1));
        if (!AppendInfo(info, infoCount, capacity, id, name)) delete[] name;
    }
    listText->append(kListSeparator);
}

}  // namespace

void LoadComponents(CQmErrLogComponent** table, int count) {
    if (table == nullptr || count <= 0) return;
    const char* const* names = nullptr;
    int known = 0;
    GetKnownComponentLibs(&known, &names);
    // Slot 0 borrows the process-wide catalogue instead of owning a copy: a
    // logger released after the first unload keeps its table as it is, and a
    // catalogue of its own would then never be freed.
    table[0] = GetComponentPtr();
    std::lock_guard<std::mutex> hold(g_libraryLock);
    for (int slot = 1; slot < count; ++slot) {
        if (slot >= known || slot >= kKnownComponentCount) {
            table[slot] = nullptr;
            continue;
        }
        SharedComponent& shared = g_sharedComponents[slot];
        if (!shared.lookedUp) {
            shared.component = LoadComponentLibraryLocked(names[slot]);
            shared.lookedUp = true;
            shared.holders = 0;
        }
        if (shared.component != nullptr) ++shared.holders;
        table[slot] = shared.component;
    }
}

void UnloadComponents(CQmErrLogComponent** table, int* count) {
    if (table == nullptr || count == nullptr) return;
    std::lock_guard<std::mutex> hold(g_libraryLock);
    // Only the first release in the process unloads; later ones leave their
    // libraries loaded until the process ends.
    if (*count == 0 || CQmLogger::m_bUnloadedComponents) return;
    CQmLogger::m_bUnloadedComponents = true;
    for (int slot = 0; slot < *count; ++slot) {
        CQmErrLogComponent* component = table[slot];
        table[slot] = nullptr;
        if (slot == 0 || component == nullptr) continue;
        // The process holds one reference for all loggers: it goes only when
        // no other logger's table holds the component; otherwise the library
        // stays until the process ends, as the later releases never unload.
        SharedComponent* shared = slot < kKnownComponentCount ? &g_sharedComponents[slot] : nullptr;
        if (shared == nullptr || shared->component != component) {
            UnloadComponentLibraryLocked(component);
            continue;
        }
        if (--shared->holders > 0) continue;
        UnloadComponentLibraryLocked(component);
        // Looked up again by the next logger.
        *shared = SharedComponent{};
    }
    *count = 0;
}

CQmErrLogComponent* LoadComponentLibrary(const char* libraryName) {
    std::lock_guard<std::mutex> hold(g_libraryLock);
    return LoadComponentLibraryLocked(libraryName);
}

void UnloadComponentLibrary(CQmErrLogComponent* component) {
    std::lock_guard<std::mutex> hold(g_libraryLock);
    UnloadComponentLibraryLocked(component);
}

void BuildComponentInfo(CQmErrLogComponent* const* table, int count, std::string* listText,
                        QmTraceComponentInfo** info, int* infoCount) {
    if (listText == nullptr || info == nullptr || infoCount == nullptr) return;
    listText->clear();
    *infoCount = 0;
    int capacity = count > 0 ? count * kInfoEntriesPerComponent : 0;
    *info = new (std::nothrow) QmTraceComponentInfo[capacity]();
    if (*info == nullptr) capacity = 0;
    if (table == nullptr) return;
    for (int slot = 0; slot < count; ++slot) {
        if (table[slot] != nullptr) AppendComponent(table[slot], listText, info, infoCount, &capacity);
    }
    if (listText->size() >= kListSeparatorLength) listText->resize(listText->size() - kListSeparatorLength);
}

const SharedComponentInfo* ShareComponentInfo(CQmErrLogComponent* const* table, int count) {
    if (table == nullptr || count < 0 || count > kKnownComponentCount) return nullptr;
    std::lock_guard<std::mutex> hold(g_libraryLock);
    for (ComponentInfoEntry* entry = g_componentInfos; entry != nullptr; entry = entry->next) {
        if (entry->count == count && entry->setVersion == g_componentSetVersion &&
            std::equal(table, table + count, entry->table)) {
            return &entry->shared;
        }
    }
    ComponentInfoEntry* entry = new (std::nothrow) ComponentInfoEntry{};
    if (entry == nullptr) return nullptr;
    std::copy(table, table + count, entry->table);
    entry->count = count;
    entry->setVersion = g_componentSetVersion;
    try {
        BuildComponentInfo(table, count, &entry->shared.listText, &entry->shared.info, &entry->shared.infoCount);
    } catch (...) {
        FreeComponentInfo(&entry->shared.info, &entry->shared.infoCount);
        delete entry;
        throw;
    }
    entry->next = g_componentInfos;
    g_componentInfos = entry;
    return &entry->shared;
}

void FreeComponentInfo(QmTraceComponentInfo** info, int* infoCount) {
    if (info == nullptr) return;
    if (*info != nullptr && infoCount != nullptr) {
        for (int i = 0; i < *infoCount; ++i) {
            if (IsTraceComponentEntry((*info)[i])) delete[] const_cast<char*>((*info)[i].name);
        }
    }
    QmTraceComponentInfo* table = *info;
    *info = nullptr;
    delete[] table;
    if (infoCount != nullptr) *infoCount = 0;
}

}  // namespace qm
