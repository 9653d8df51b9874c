// Message ids of the sample component qmcomponent01, for the programs that log
// them. The library is row 1 of the known component libraries, so it is
// component number 2: every id it owns starts with 0x02.
#pragma once

#include "qmerrlog/component.h"

constexpr unsigned int QM01_COMPONENT = 2;

// QmMessageId(component, type, number): the type is part of the id, so the
// same number may not be reused with another type.
constexpr unsigned int QM01_SERVICE_STARTED = QmMessageId(QM01_COMPONENT, QM_MSG_INFO, 1);       // %s %d
constexpr unsigned int QM01_SERVICE_STOPPED = QmMessageId(QM01_COMPONENT, QM_MSG_INFO, 2);       // %s
constexpr unsigned int QM01_CACHE_NEARLY_FULL = QmMessageId(QM01_COMPONENT, QM_MSG_WARNING, 3);  // %d %d
constexpr unsigned int QM01_SLOW_BACKEND = QmMessageId(QM01_COMPONENT, QM_MSG_WARNING, 4);       // %s %lu
constexpr unsigned int QM01_CONFIG_UNREADABLE = QmMessageId(QM01_COMPONENT, QM_MSG_ERROR, 5);    // %s
constexpr unsigned int QM01_BACKEND_REFUSED = QmMessageId(QM01_COMPONENT, QM_MSG_ERROR, 6);      // %s %d

// Trace component ids, for ShouldTrace and TraceEnabled; the trace
// configuration file names them "Sample/Session" and "Sample/Cache".
constexpr unsigned int QM01_TRACE_SESSION = QmTraceComponentId(QM01_COMPONENT, 1);
constexpr unsigned int QM01_TRACE_CACHE = QmTraceComponentId(QM01_COMPONENT, 2);
