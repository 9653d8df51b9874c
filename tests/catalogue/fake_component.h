// An in-process component with a text for every message and a chosen number
// of trace components named T001, T002, ...
#pragma once

#include <cstdio>
#include <vector>

#include "qmerrlog/component.h"

namespace qmtest {

class FakeComponent : public CQmErrLogComponent {
public:
    FakeComponent(unsigned int id, const char* name, const char* text, int traceCount = 0)
        : m_text(text), m_traces(static_cast<std::size_t>(traceCount)) {
        m_uComponentId = id;
        m_pszDisplayName = name;
        m_pszDescription = "fake";
        for (int i = 0; i < traceCount; ++i) {
            std::snprintf(m_traces[static_cast<std::size_t>(i)].name, sizeof m_traces[0].name, "T%03d", i + 1);
            m_traces[static_cast<std::size_t>(i)].description = "d";
        }
    }
    void GetTraceComponents(int* count, QmTraceComponentDesc** list) override {
        *count = static_cast<int>(m_traces.size());
        *list = m_traces.empty() ? nullptr : m_traces.data();
    }
    const char* GetMessage(unsigned int) override { return m_text; }

private:
    const char* m_text;
    std::vector<QmTraceComponentDesc> m_traces;
};

}  // namespace qmtest
