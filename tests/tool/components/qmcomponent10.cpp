// Row 10: the display name of the test component in row 3 ("Third") again;
// its trace component has a name of its own.
#include "odd_component.h"

namespace {
QmTraceComponentDesc g_traces[] = {{"G", "Gamma", "Named apart"}};
}  // namespace

CQmErrLogComponent* GetComponentPtr() {
    static OddComponent component(11, "Third", "Same name as row 3", g_traces, 1);
    return &component;
}
