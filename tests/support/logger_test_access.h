// Reaches the private side of a logger: makes loggers outside the default
// logger and the named list, lends a component slot, and shows the logger's
// info table as comparable rows.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "qmerrlog/component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/tracedata.h"

namespace qmtest {
struct LoggerInternals;  // the purpose of the access below
}  // namespace qmtest

using Rows = std::vector<std::string>;

// An info table as "id name" rows, with " *" after selected entries.
inline Rows InfoRows(const QmTraceComponentInfo* info, int count) {
    Rows rows;
    for (int i = 0; i < count; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "%08x ", info[i].id);
        rows.push_back(id + std::string(info[i].name) + (info[i].selected ? " *" : ""));
    }
    return rows;
}

template <>
struct QmInternalAccess<qmtest::LoggerInternals> {
    static CQmLogger* Make() { return new CQmLogger(); }
    static void SetSlot(CQmLogger& l, int slot, CQmErrLogComponent* c) { l.m_ppComponents[slot] = c; }
    static Rows InfoRows(const CQmLogger& l) { return ::InfoRows(l.m_pComponentInfo, l.m_iComponentInfoCount); }
    // Where the logger's tables live, to tell shared tables from copies.
    static const void* ComponentTable(const CQmLogger& l) { return l.m_pComponentInfo; }
    static const void* DataFieldTable(const CQmLogger& l) { return l.m_pDataFieldInfo; }
    // The index of the logger's cell in each thread's table of working copies.
    static unsigned long TraceIndex(const CQmLogger& l) { return l.m_ulThreadKey; }
};
using CQmLoggerTestAccess = QmInternalAccess<qmtest::LoggerInternals>;
