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
    std::atomic<int> opened{0}, closed{0}, destroyed{0}, logged{0};
};

class RecordingOutput : public CQmLogOutput {
public:
    explicit RecordingOutput(OutputEvents* events = nullptr, bool openResult = true, bool logResult = true)
        : m_events(events), m_openResult(openResult), m_logResult(logResult) {
        SetType(QM_OUTPUT_SYNC_CALLBACK);
    }
    ~RecordingOutput() override { Count(&OutputEvents::destroyed); }
    bool Open() override { return Count(&OutputEvents::opened), m_openResult; }
    bool Log(CQmErrLogMessage& message) override {
        Count(&OutputEvents::logged);
        std::lock_guard<std::mutex> hold(m_lock);
        m_lines.emplace_back(message.GetBuffer(), message.GetBufferLen());
        return m_logResult;
    }
    bool Close() override { return Count(&OutputEvents::closed), true; }
    std::vector<std::string> Lines() {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_lines;
    }

private:
    void Count(std::atomic<int> OutputEvents::*event) { if (m_events) ++(m_events->*event); }
    OutputEvents* m_events;
    bool m_openResult, m_logResult;
    std::mutex m_lock;
    std::vector<std::string> m_lines;
};

}  // namespace qmtest
