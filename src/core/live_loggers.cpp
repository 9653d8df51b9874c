#include "core/live_loggers.h"

#include <algorithm>
#include <vector>

#include "platform/no_destructor.h"
#include "qmerrlog/locks.h"

namespace {

struct LiveLoggers {
    CQmErrLogCriticalSection lock;
    std::vector<CQmLogger*> loggers;
};

// Never destroyed: loggers live through the end of the process.
LiveLoggers& TheLiveLoggers() {
    static qm::NoDestructor<LiveLoggers> live;
    return *live;
}

}  // namespace

namespace qm {

void AddLiveLogger(CQmLogger* logger) {
    LiveLoggers& live = TheLiveLoggers();
    CQmErrLogPrivAutoCS hold(live.lock);
    live.loggers.push_back(logger);
}

void RemoveLiveLogger(CQmLogger* logger) {
    LiveLoggers& live = TheLiveLoggers();
    CQmErrLogPrivAutoCS hold(live.lock);
    live.loggers.erase(std::remove(live.loggers.begin(), live.loggers.end(), logger), live.loggers.end());
}

void ForEachLiveLogger(void (*visit)(CQmLogger& logger)) {
    LiveLoggers& live = TheLiveLoggers();
    CQmErrLogPrivAutoCS hold(live.lock);
    for (CQmLogger* logger : live.loggers) visit(*logger);
}

CQmErrLogCriticalSection& LiveLoggersLock() {
    return TheLiveLoggers().lock;
}

}  // namespace qm
