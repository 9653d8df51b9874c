// The sample component library qmcomponent01: copy this file to start a
// component of your own. A component is one object derived from
// CQmErrLogComponent, returned by the exported function GetComponentPtr.
//
// What the logger relies on:
// - GetComponentPtr returns the same object every time, valid while the
//   library is loaded; the logger never deletes it.
// - The component id is the component number (row of the library's name in
//   the known component table, plus 1) shifted left by 24.
// - GetMessage may be called from many threads at once: keep it a read-only
//   lookup in constant data.
// - The library needs the public headers only; it does not link qmerrlog.
#include "qmcomponent01_messages.h"
#include "qmerrlog/component.h"

namespace {

struct CatalogueEntry {
    unsigned int id;
    const char* text;  // printf format; the caller passes the arguments
};

// The catalogue: constant data, so lookups need no lock.
const CatalogueEntry kCatalogue[] = {
    {QM01_SERVICE_STARTED, "Sample service %s started, listening on port %d."},
    {QM01_SERVICE_STOPPED, "Sample service %s stopped."},
    {QM01_CACHE_NEARLY_FULL, "Session cache holds %d of %d entries."},
    {QM01_SLOW_BACKEND, "Backend %s answered after %lu ms."},
    {QM01_CONFIG_UNREADABLE, "Configuration file %s cannot be read."},
    {QM01_BACKEND_REFUSED, "Backend %s refused the connection (code %d)."},
};

// Trace components, in the order of their trace component numbers (1, 2, ...).
// The key is for your own use; the name is what trace configurations select.
QmTraceComponentDesc g_traceComponents[] = {
    {"SESSION", "Session", "Session creation, validation and expiry."},
    {"CACHE", "Cache", "Session cache lookups and evictions."},
};

class CSampleComponent : public CQmErrLogComponent {
public:
    CSampleComponent() {
        m_uComponentId = QM01_COMPONENT << QM_COMPONENT_SHIFT;
        m_pszShortName = "Sample";
        // The display name prefixes the trace component names: "Sample/Session".
        m_pszDisplayName = "Sample";
        m_pszDescription = "Sample component of the qmerrlog examples";
    }

    void GetTraceComponents(int* count, QmTraceComponentDesc** list) override {
        *count = static_cast<int>(sizeof g_traceComponents / sizeof g_traceComponents[0]);
        *list = g_traceComponents;
    }

    // The whole id must match, type bits included: an id built with the wrong
    // type finds no text rather than a line with a misleading type word.
    const char* GetMessage(unsigned int messageId) override {
        for (const CatalogueEntry& entry : kCatalogue) {
            if (entry.id == messageId) return entry.text;
        }
        return nullptr;
    }
};

}  // namespace

// Declared extern "C" in component.h, so the loader finds it by its plain name.
CQmErrLogComponent* GetComponentPtr() {
    // Built on first use, destroyed when the library is unloaded.
    static CSampleComponent component;
    return &component;
}
