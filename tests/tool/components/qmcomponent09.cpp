// Row 9: a display name with a blank, which no configuration line can hold.
#include "odd_component.h"

namespace {
QmTraceComponentDesc g_traces[] = {{"T", "Tracing", "Its only trace component"}};
}  // namespace

CQmErrLogComponent* GetComponentPtr() {
    static OddComponent component(10, "Two Words", "A name with a blank", g_traces, 1);
    return &component;
}
