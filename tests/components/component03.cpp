// Test component in row 3 (component number 4): two messages and two trace
// components.
#include "qmerrlog/component.h"

namespace {

constexpr unsigned int kNumber = 4;

QmTraceComponentDesc g_traces[] = {
    {"A", "Alpha", "First trace"},
    {"B", "Beta", "Second trace"},
};

class CThirdComponent : public CQmErrLogComponent {
public:
    CThirdComponent() {
        m_uComponentId = kNumber << QM_COMPONENT_SHIFT;
        m_pszShortName = "T3";
        m_pszDisplayName = "Third";
        m_pszDescription = "Third test component";
    }
    void GetTraceComponents(int* count, QmTraceComponentDesc** list) override {
        *count = 2;
        *list = g_traces;
    }
    const char* GetMessage(unsigned int messageId) override {
        switch (messageId & QM_MESSAGE_NUMBER_MASK) {
            case 1: return "alpha %s";
            case 2: return "beta %d of %d";
            default: return nullptr;
        }
    }
};

}  // namespace

CQmErrLogComponent* GetComponentPtr() {
    static CThirdComponent component;
    return &component;
}
