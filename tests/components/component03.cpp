// Test component in row 3 (component number 4): two messages and two trace
// components.
#include "qmerrlog/component.h"

namespace {

QmTraceComponentDesc g_traces[] = {{"A", "Alpha", "First trace"}, {"B", "Beta", "Second trace"}};
const char* const g_messages[] = {nullptr, "alpha %s", "beta %d of %d"};  // by message number

class CThirdComponent : public CQmErrLogComponent {
public:
    CThirdComponent() {
        m_uComponentId = 4u << QM_COMPONENT_SHIFT;
        m_pszShortName = "T3";
        m_pszDisplayName = "Third";
        m_pszDescription = "Third test component";
    }
    void GetTraceComponents(int* count, QmTraceComponentDesc** list) override {
        *count = 2;
        *list = g_traces;
    }
    const char* GetMessage(unsigned int messageId) override {
        const unsigned int number = messageId & QM_MESSAGE_NUMBER_MASK;
        return number < 3 ? g_messages[number] : nullptr;
    }
};

}  // namespace

CQmErrLogComponent* GetComponentPtr() {
    static CThirdComponent component;
    return &component;
}
