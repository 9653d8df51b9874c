// The known data field table and what a logger builds from it.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/known_data_fields.h"

namespace {

TEST(KnownDataFieldsTest, TableHasSixtyFourRowsWithTheirWidths) {
    int count = 0;
    const KNOWNDATAFIELDINFO* table = nullptr;
    ASSERT_TRUE(GetKnownDataFields(&count, &table));
    ASSERT_EQ(count, 64);
    ASSERT_NE(table, nullptr);
    EXPECT_STREQ(table[53].name, "HexadecimalData");
    EXPECT_EQ(table[53].width, 128);
    for (int id = 61; id <= 63; ++id) EXPECT_EQ(table[id].width, 5) << id;
    EXPECT_TRUE(GetKnownDataFields(nullptr, nullptr));
}

TEST(KnownDataFieldsTest, ListTextNamesEveryFieldOnceInIdOrder) {
    const std::string text = qm::BuildDataFieldListText();
    EXPECT_EQ(text.rfind("Message SrcFile Pid Tid Date Time PreciseTime ", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 28), "CacheHits CacheSize RefCount");

    const KNOWNDATAFIELDINFO* table = nullptr;
    int count = 0;
    GetKnownDataFields(&count, &table);
    std::istringstream words(text);
    std::vector<std::string> names;
    for (std::string word; words >> word;) names.push_back(word);
    ASSERT_EQ(names.size(), 64u);
    for (int id = 0; id < count; ++id) EXPECT_EQ(names[static_cast<std::size_t>(id)], table[id].name);
    EXPECT_EQ(text.find("  "), std::string::npos);
}

TEST(KnownDataFieldsTest, InfoTableEntriesCarryIdNameAndWidthOnly) {
    QmTraceDataFieldInfo* info = qm::NewDataFieldInfoTable();
    ASSERT_NE(info, nullptr);
    const KNOWNDATAFIELDINFO* table = nullptr;
    int count = 0;
    GetKnownDataFields(&count, &table);
    for (unsigned int id = 0; id < QM_DATA_FIELD_COUNT; ++id) {
        const QmTraceDataFieldInfo& entry = info[id];
        EXPECT_EQ(entry.id, id);
        EXPECT_EQ(entry.name, table[id].name);  // borrowed, not copied
        EXPECT_EQ(entry.width, table[id].width);
        EXPECT_FALSE(entry.traced);
        EXPECT_FALSE(entry.filtered);
        EXPECT_EQ(entry.filterText, nullptr);
        EXPECT_EQ(entry.filterOperator, QM_FILTER_NONE);
        EXPECT_EQ(entry.value, nullptr);
    }
    qm::DeleteDataFieldInfoTable(info);
}

}  // namespace
