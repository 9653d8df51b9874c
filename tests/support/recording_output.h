// A test output that records what reaches it and can be told to fail.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

namespace qmtest {

struct OutputEvents {
    std::atomic<int> opened{0};
    std::atomic<int> closed{0};
    std::atomic<int> destroyed{0};
    std::atomic<int> logged{0};
};

class RecordingOutput : public CQmLogOutput {
public:
    explicit RecordingOutput(OutputEvents* events = nullptr, bool openResult = true, bool logResult = true)
        : m_events(events), m_openResult(openResult), m_logResult(logResult) {
        SetType(QM_OUTPUT_SYNC_CALLBACK);
    }
    ~RecordingOutput() override {
        if (m_events) ++m_events->destroyed;
    }
    bool Open() override {
        if (m_events) ++m_events->opened;
        return m_openResult;
    }
    bool Log(CQmErrLogMessage& message) override {
        if (m_events) ++m_events->logged;
        std::lock_guard<std::mutex> hold(m_lock);
        m_lines.emplace_back(message.GetBuffer(), message.GetBufferLen());
        return m_logResult;
    }
    bool Close() override {
        if (m_events) ++m_events->closed;
        return true;
    }
    std::vector<std::string> Lines() {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_lines;
    }

private:
    OutputEvents* m_events;
    bool m_openResult;
    bool m_logResult;
    std::mutex m_lock;
    std::vector<std::string> m_lines;
};

}  // namespace qmtest
