// Named loggers and the per-thread pool of trace working copies.
#pragma once

#include <map>

#include "qmerrlog/export.h"
#include "qmerrlog/locks.h"

class CQmLogger;
class CQmTraceData;

// Byte-wise order of NUL-terminated names, each byte unsigned: case-sensitive.
struct QmLoggerNameLess {
    bool operator()(const char* a, const char* b) const;
};

class QMERRLOG_API CQmLoggerList {
public:
    CQmLoggerList();
    virtual ~CQmLoggerList();
    CQmLoggerList(const CQmLoggerList&) = delete;
    CQmLoggerList& operator=(const CQmLoggerList&) = delete;

    CQmLogger* GetLogger(const char* name);
    CQmLogger* AddLogger(const char* name);
    bool RemoveLogger(const char* name);

private:
    friend QMERRLOG_API CQmLoggerList* theLoggerList();
    typedef std::map<const char*, CQmLogger*, QmLoggerNameLess> LoggerMap;
    std::atomic<LoggerMap*> m_pMap;  // null until the first AddLogger
    CQmErrLogGuard* m_pGuard;
};

QMERRLOG_API CQmLoggerList* theLoggerList();
// The named logger, created on first use; null for a null or empty name.
QMERRLOG_API CQmLogger* getMyLogger(const char* name);
QMERRLOG_API bool removeMyLogger(const char* name);

// One pooled working copy of a trace configuration.
struct ThreadTraceData {
    CQmTraceData* traceData;
    bool isFree;
};

// Hands out a free pool entry, growing the pool by 30 when none is free.
QMERRLOG_API ThreadTraceData* GetThreadTraceData();
