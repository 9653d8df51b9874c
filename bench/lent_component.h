// A catalogue text of the program's own, lent to the default logger's empty
// slot of component 2, so that a benchmark can format a line whose catalogue
// text it chooses.
#pragma once

#include "qmerrlog/qmerrlog.h"

class LentComponent : public CQmErrLogComponent {
public:
    explicit LentComponent(const char* text) : m_text(text) { m_uComponentId = 0x2000000u; }
    void GetTraceComponents(int* count, QmTraceComponentDesc** list) override {
        *count = 0;
        *list = nullptr;
    }
    const char* GetMessage(unsigned int) override { return m_text; }

private:
    const char* m_text;
};

template <>
struct QmInternalAccess<LentComponent> {
    static void Lend(CQmLogger& logger, CQmErrLogComponent* component) { logger.m_ppComponents[1] = component; }
};

// The catalogue text with several conversions, a width and "%%" among them.
constexpr char kConversionsText[] = "%s: connection %d to %s:%u failed after %4d ms, %d%% of retries left";
