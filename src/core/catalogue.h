// The component table of a logger: loading the component libraries when the
// logger starts, unloading them when it is released, and the component half
// of the known information handed to trace configurations.
#pragma once

#include <string>

class CQmErrLogComponent;
struct QmTraceComponentInfo;

namespace qm {

// Rows of the known component library table; the row index is the slot of
// a logger's component table, so this is also that table's size.
constexpr int kKnownComponentCount = 25;

// Fills slot 0 with the library's own catalogue and slots 1 to count - 1 with
// the components of the known libraries that load; other slots become null.
// Each known library is looked up once per process (a library missing then
// is not looked for again) and its component is shared by every table.
void LoadComponents(CQmErrLogComponent** table, int count);

// Unloads the table only when *count is not 0 and no logger of the process
// has unloaded its components yet; then every slot is null and *count is 0,
// and the libraries no other logger holds are given back. Otherwise the
// table is left as it is.
void UnloadComponents(CQmErrLogComponent** table, int* count);

// One library by bare name: its component with the library handle stored in a
// heap cell, or null when the library does not load or offers no component.
// A library loaded again hands out the same component, which keeps the cell
// it already has.
CQmErrLogComponent* LoadComponentLibrary(const char* libraryName);
// Frees one reference to the library behind a component and its cell; other
// references to it stay until the process ends.
void UnloadComponentLibrary(CQmErrLogComponent* component);

// Builds the component list text and a new component info table (one entry
// per loaded component followed by one per trace component of it).
void BuildComponentInfo(CQmErrLogComponent* const* table, int count, std::string* listText,
                        QmTraceComponentInfo** info, int* infoCount);
// Frees a table built by BuildComponentInfo with the names it allocated.
void FreeComponentInfo(QmTraceComponentInfo** info, int* infoCount);

// What BuildComponentInfo makes for one component table, shared read-only by
// every logger whose table holds the same components.
struct SharedComponentInfo {
    std::string listText;
    QmTraceComponentInfo* info = nullptr;
    int infoCount = 0;
};

// The shared info for a table filled by LoadComponents. Built on the first
// ask for each set of components the process loads (a handful at most: the
// libraries are looked up again only after the one unload a process makes)
// and never freed, so a logger of any age, and a thread still tracing while
// the process exits, never reads a freed name. Null when memory is exhausted.
const SharedComponentInfo* ShareComponentInfo(CQmErrLogComponent* const* table, int count);

}  // namespace qm
