// Reaches the private side of CQmTraceData the way the logger does, and builds
// masters from real configuration files with the tables a logger builds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/known_data_fields.h"
#include "qmerrlog/tracedata.h"
#include "support/temp_dir.h"

struct CQmTraceDataTestAccess {
    static bool Configure(CQmTraceData& record, int format, const char* separator, const char* file,
                          QmTraceComponentInfo* components, QmTraceDataFieldInfo* fields,
                          bool useLocalTime = false) {
        return record.SetConfiguration(format, separator, file, 6, components, fields, useLocalTime);
    }
    static void Assign(CQmTraceData& copy, const CQmTraceData& master) { copy = master; }
    static bool Assemble(CQmTraceData& record, CQmErrLogMessage* message, int kind) {
        return record.AssembleTraceMessage(message, kind);
    }
    static QmTraceDataFieldInfo& Field(CQmTraceData& record, unsigned int id) { return record.m_fields[id]; }
    static void SetTrigger(CQmTraceData& record, unsigned int trigger) { record.m_uDateTimeTrigger = trigger; }
    static const char* Separator(const CQmTraceData& record) { return record.m_pszSeparator; }
    // The field ids of the record's field order.
    static std::vector<unsigned int> Order(const CQmTraceData& record) {
        std::vector<unsigned int> ids;
        for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT && record.m_uFieldOrder[i] != 0; ++i)
            ids.push_back(record.m_uFieldOrder[i] - 1);
        return ids;
    }
};

namespace qmtest {

using Ids = std::vector<unsigned int>;

// Component ids: component number in the top byte, trace component number below.
constexpr unsigned int kLog = 0x01000000u, kLogLegacy = 0x01010000u, kLogOutput = 0x01020000u,
                       kAgent = 0x02000000u, kAgentCache = 0x02010000u, kWeb = 0x03000000u;

// Masters configured from files holding given texts, with a small component
// table and the data field table a logger builds.
class TraceConfigTest : public testing::Test {
protected:
    // Reads the configuration text into record; the result of SetConfiguration.
    bool Configure(CQmTraceData& record, const std::string& text, int format = QM_TRACE_BRACKETED,
                   const char* separator = nullptr, bool useLocalTime = false) {
        const std::string file = m_dir.Write("trace" + std::to_string(++m_files) + ".cfg", text);
        return CQmTraceDataTestAccess::Configure(record, format, separator, file.c_str(), m_components,
                                                 m_fields.get(), useLocalTime);
    }
    std::unique_ptr<CQmTraceData> Master(const std::string& text, int format = QM_TRACE_BRACKETED,
                                         const char* separator = nullptr, bool useLocalTime = false) {
        auto master = std::make_unique<CQmTraceData>();
        EXPECT_TRUE(Configure(*master, text, format, separator, useLocalTime)) << text;
        return master;
    }
    // A working copy as a thread gets it: assigned from the master.
    static std::unique_ptr<CQmTraceData> CopyOf(const CQmTraceData& master) {
        auto copy = std::make_unique<CQmTraceData>();
        CQmTraceDataTestAccess::Assign(*copy, master);
        return copy;
    }

    QmTraceComponentInfo m_components[6] = {{false, kLog, "Log"},         {false, kLogLegacy, "Log/Legacy"},
                                            {false, kLogOutput, "Log/Output"}, {false, kAgent, "Agent"},
                                            {false, kAgentCache, "Agent/Cache"}, {false, kWeb, "Web"}};
    std::unique_ptr<QmTraceDataFieldInfo, void (*)(QmTraceDataFieldInfo*)> m_fields{
        qm::NewDataFieldInfoTable(), &qm::DeleteDataFieldInfoTable};
    TempDir m_dir;
    int m_files = 0;
};

}  // namespace qmtest
