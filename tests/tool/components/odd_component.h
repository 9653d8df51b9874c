// Component libraries that a careless author might ship, for the tool's
// tests: each is one OddComponent with its own names, number and traces.
#pragma once

#include "qmerrlog/component.h"

class OddComponent : public CQmErrLogComponent {
public:
    OddComponent(unsigned int number, const char* name, const char* description, QmTraceComponentDesc* traces,
                 int traceCount)
        : m_pTraces(traces), m_iTraceCount(traceCount) {
        m_uComponentId = number << QM_COMPONENT_SHIFT;
        m_pszShortName = name;
        m_pszDisplayName = name;
        m_pszDescription = description;
    }
    void GetTraceComponents(int* count, QmTraceComponentDesc** list) override {
        *count = m_iTraceCount;
        *list = m_pTraces;
    }
    const char* GetMessage(unsigned int) override { return nullptr; }

private:
    QmTraceComponentDesc* m_pTraces;
    int m_iTraceCount;
};
