// The fixture of the trace tests. It reaches the private side of CQmTraceData
// the way the logger does, and builds masters from real configuration files
// with the tables a logger builds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/known_data_fields.h"
#include "qmerrlog/tracedata.h"
#include "support/temp_dir.h"
#include "trace/trace_line_kind.h"

namespace qmtest {
struct TraceRecordInternals;  // the purpose of the access below
}  // namespace qmtest

template <>
struct QmInternalAccess<qmtest::TraceRecordInternals> : testing::Test {
    using Ids = std::vector<unsigned int>;
    // Component ids: component number in the top byte, trace component number below.
    static constexpr unsigned int kLog = 0x01000000u, kLogLegacy = 0x01010000u, kLogOutput = 0x01020000u,
                                  kAgentCache = 0x02010000u, kWeb = 0x03000000u;

    // A master read from a file holding text, which SetConfiguration must accept or refuse as told.
    std::unique_ptr<CQmTraceData> Master(const std::string& text, int format = QM_TRACE_BRACKETED,
                                         const char* separator = nullptr, bool useLocalTime = false,
                                         bool accepted = true) {
        const std::string file = m_dir.Write("trace" + std::to_string(++m_files) + ".cfg", text);
        auto master = std::make_unique<CQmTraceData>();
        EXPECT_EQ(master->SetConfiguration(format, separator, file.c_str(), 6, m_components, m_fields.get(),
                                           useLocalTime), accepted) << text;
        return master;
    }
    static void Assign(CQmTraceData& copy, const CQmTraceData& master) { copy = master; }
    // A working copy as a thread gets it: assigned from the master.
    static std::unique_ptr<CQmTraceData> CopyOf(const CQmTraceData& master) {
        auto copy = std::make_unique<CQmTraceData>();
        Assign(*copy, master);
        return copy;
    }
    static bool Assemble(CQmTraceData& record, CQmErrLogMessage* message, int kind) {
        return record.AssembleTraceMessage(message, kind);
    }
    static QmTraceDataFieldInfo& Field(CQmTraceData& record, unsigned int id) { return record.m_fields[id]; }
    // The field ids of the record's field order.
    static Ids Order(const CQmTraceData& record) {
        Ids ids;
        for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT && record.m_uFieldOrder[i] != 0; ++i)
            ids.push_back(record.m_uFieldOrder[i] - 1);
        return ids;
    }

    QmTraceComponentInfo m_components[6] = {{false, kLog, "Log"},         {false, kLogLegacy, "Log/Legacy"},
                                            {false, kLogOutput, "Log/Output"}, {false, 0x02000000u, "Agent"},
                                            {false, kAgentCache, "Agent/Cache"}, {false, kWeb, "Web"}};
    std::unique_ptr<QmTraceDataFieldInfo, void (*)(QmTraceDataFieldInfo*)> m_fields{
        qm::NewDataFieldInfoTable(), &qm::DeleteDataFieldInfoTable};
    qmtest::TempDir m_dir;
    int m_files = 0;
};
using CQmTraceDataTestAccess = QmInternalAccess<qmtest::TraceRecordInternals>;
