// Component libraries a careless author might ship, for the tool's tests: the
// build compiles this file once per row, with QM_ODD_ROW set to the row.
#include "qmerrlog/component.h"

namespace {

struct Odd { unsigned int number; const char* name; const char* description; QmTraceComponentDesc trace; };
#if QM_ODD_ROW == 9  // a display name with a blank, which no configuration line can hold
Odd g_odd = {10, "Two Words", "A name with a blank", {"T", "Tracing", "Its only trace component"}};
#elif QM_ODD_ROW == 10  // the display name of row 3 ("Third") again; its trace has a name of its own
Odd g_odd = {11, "Third", "Same name as row 3", {"G", "Gamma", "Named apart"}};
#else  // copied from row 3 without changing its number (4), so its ids are that component's ids
Odd g_odd = {4, "Copy", "Kept the number of row 3", {"D", "Delta", "Same id as Third/Alpha"}};
#endif

class OddComponent : public CQmErrLogComponent {
public:
    OddComponent() {
        m_uComponentId = g_odd.number << QM_COMPONENT_SHIFT;
        m_pszShortName = m_pszDisplayName = g_odd.name;
        m_pszDescription = g_odd.description;
    }
    void GetTraceComponents(int* count, QmTraceComponentDesc** list) override {
        *count = 1;
        *list = &g_odd.trace;
    }
    const char* GetMessage(unsigned int) override { return nullptr; }
};

}  // namespace

CQmErrLogComponent* GetComponentPtr() {
    static OddComponent component;
    return &component;
}
