// Row 11: copied from the component in row 3 without changing its number (4),
// so its ids are that component's ids.
#include "odd_component.h"

namespace {
QmTraceComponentDesc g_traces[] = {{"D", "Delta", "Same id as Third/Alpha"}};
}  // namespace

CQmErrLogComponent* GetComponentPtr() {
    static OddComponent component(4, "Copy", "Kept the number of row 3", g_traces, 1);
    return &component;
}
