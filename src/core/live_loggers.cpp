#include "core/live_loggers.h"

#include <algorithm>
#include <vector>

#include "platform/critical_section.h"
#include "qmerrlog/locks.h"

namespace {

struct LiveLoggers {
    QmCriticalSectionStorage lock;
    std::vector<CQmLogger*> loggers;
    LiveLoggers() { qm::platform::InitCriticalSection(&lock); }
};

// Never destroyed: loggers live through the end of the process.
LiveLoggers& TheLiveLoggers() {
    static LiveLoggers* live = new LiveLoggers();
    return *live;
}

class HoldLive {
public:
    explicit HoldLive(LiveLoggers& live) : m_live(live) { qm::platform::EnterCriticalSection(&m_live.lock); }
    ~HoldLive() { qm::platform::LeaveCriticalSection(&m_live.lock); }
    HoldLive(const HoldLive&) = delete;
    HoldLive& operator=(const HoldLive&) = delete;

private:
    LiveLoggers& m_live;
};

}  // namespace

namespace qm {

void AddLiveLogger(CQmLogger* logger) {
    LiveLoggers& live = TheLiveLoggers();
    HoldLive hold(live);
    live.loggers.push_back(logger);
}

void RemoveLiveLogger(CQmLogger* logger) {
    LiveLoggers& live = TheLiveLoggers();
    HoldLive hold(live);
    live.loggers.erase(std::remove(live.loggers.begin(), live.loggers.end(), logger), live.loggers.end());
}

void ForEachLiveLogger(void (*visit)(CQmLogger& logger)) {
    LiveLoggers& live = TheLiveLoggers();
    HoldLive hold(live);
    for (CQmLogger* logger : live.loggers) visit(*logger);
}

void LockLiveLoggersForFork() { platform::EnterCriticalSection(&TheLiveLoggers().lock); }

void UnlockLiveLoggersInParent() { platform::LeaveCriticalSection(&TheLiveLoggers().lock); }

void ResetLiveLoggersInChild() { platform::ResetCriticalSectionInChild(&TheLiveLoggers().lock); }

}  // namespace qm
