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
                          int componentCount, QmTraceComponentInfo* components,
                          QmTraceDataFieldInfo* fields, bool useLocalTime = false) {
        return record.SetConfiguration(format, separator, file, componentCount, components, fields,
                                       useLocalTime);
    }
    static void Assign(CQmTraceData& copy, const CQmTraceData& master) { copy = master; }
    static bool Assemble(CQmTraceData& record, CQmErrLogMessage* message, int kind) {
        return record.AssembleTraceMessage(message, kind);
    }
    static bool PopulateDateandTime(CQmTraceData& record) { return record.PopulateDateandTime(); }
    static bool MarkComponentTraced(CQmTraceData& record, unsigned int id) {
        return record.MarkComponentTraced(id);
    }
    static bool TestDataFilter(CQmTraceData& record, unsigned int id) {
        return record.TestDataFilter(id);
    }
    static QmTraceDataFieldInfo& Field(CQmTraceData& record, unsigned int id) {
        return record.m_fields[id];
    }
    static unsigned int FieldOrder(const CQmTraceData& record, unsigned int position) {
        return record.m_uFieldOrder[position];
    }
    static void SetTrigger(CQmTraceData& record, unsigned int trigger) {
        record.m_uDateTimeTrigger = trigger;
    }
    static void SetGeneration(CQmTraceData& record, long long generation) {
        record.m_llGeneration = generation;
    }
    static bool Configured(const CQmTraceData& record) { return record.m_bConfigured; }
    static bool OwnsConfiguration(const CQmTraceData& record) { return record.m_bOwnsConfiguration; }
    static const char* Separator(const CQmTraceData& record) { return record.m_pszSeparator; }
    static const QmTraceComponentInfo* Components(const CQmTraceData& record) {
        return record.m_pComponents;
    }
    static const char* FormattedArea(const CQmTraceData& record) { return record.m_szFormatted; }
    static CQmLogger* Logger(const CQmTraceData& record) { return record.m_pLogger; }
};

namespace qmtest {

// Component ids: component number in the top byte, trace component number below.
constexpr unsigned int kLog = 0x01000000u;
constexpr unsigned int kLogLegacy = 0x01010000u;
constexpr unsigned int kLogOutput = 0x01020000u;
constexpr unsigned int kAgent = 0x02000000u;
constexpr unsigned int kAgentCache = 0x02010000u;
constexpr unsigned int kWeb = 0x03000000u;

struct DataFieldTableDeleter {
    void operator()(QmTraceDataFieldInfo* table) const { qm::DeleteDataFieldInfoTable(table); }
};

// A master configured from a file holding the given text, with a small
// component table and the data field table a logger builds.
class TraceConfigTest : public testing::Test {
protected:
    TraceConfigTest()
        : m_components{{false, kLog, "Log"},         {false, kLogLegacy, "Log/Legacy"},
                       {false, kLogOutput, "Log/Output"}, {false, kAgent, "Agent"},
                       {false, kAgentCache, "Agent/Cache"}, {false, kWeb, "Web"}},
          m_fields(qm::NewDataFieldInfoTable()) {}

    // Reads the configuration text into record; the result of SetConfiguration.
    bool Configure(CQmTraceData& record, const std::string& text, int format = QM_TRACE_BRACKETED,
                   const char* separator = nullptr, bool useLocalTime = false) {
        const std::string file = m_dir.Write("trace" + std::to_string(++m_files) + ".cfg", text);
        return CQmTraceDataTestAccess::Configure(record, format, separator, file.c_str(),
                                                 kComponentCount, m_components, m_fields.get(),
                                                 useLocalTime);
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

    // The field ids of the record's field order.
    static std::vector<unsigned int> Order(const CQmTraceData& record) {
        std::vector<unsigned int> ids;
        for (unsigned int i = 0; i < QM_DATA_FIELD_COUNT && CQmTraceDataTestAccess::FieldOrder(record, i) != 0; ++i) {
            ids.push_back(CQmTraceDataTestAccess::FieldOrder(record, i) - 1);
        }
        return ids;
    }

    static constexpr int kComponentCount = 6;
    QmTraceComponentInfo m_components[kComponentCount];
    std::unique_ptr<QmTraceDataFieldInfo, DataFieldTableDeleter> m_fields;
    TempDir m_dir;
    int m_files = 0;
};

}  // namespace qmtest
