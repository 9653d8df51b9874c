// The known data field table and what a logger builds from it.
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/known_data_fields.h"

namespace {

TEST(KnownDataFieldsTest, TableAndListTextNameTheSixtyFourFieldsInIdOrder) {
    int count = 0;
    const KNOWNDATAFIELDINFO* table = nullptr;
    ASSERT_TRUE(GetKnownDataFields(&count, &table));
    ASSERT_EQ(count, 64);
    EXPECT_STREQ(table[53].name, "HexadecimalData");
    EXPECT_EQ(table[53].width, 128);
    EXPECT_EQ(table[61].width + table[62].width + table[63].width, 15);

    const std::string text = qm::BuildDataFieldListText();
    EXPECT_EQ(text.rfind("Message SrcFile Pid Tid ", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 28), "CacheHits CacheSize RefCount");
    EXPECT_EQ(text.find("  "), std::string::npos);
    std::istringstream words(text);
    int id = 0;
    for (std::string word; words >> word; ++id) {
        ASSERT_LT(id, count);
        EXPECT_EQ(word, table[id].name);
    }
    EXPECT_EQ(id, count);
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
        EXPECT_FALSE(entry.traced || entry.filtered);
        EXPECT_EQ(entry.filterText, nullptr);
        EXPECT_EQ(entry.value, nullptr);
    }
    qm::DeleteDataFieldInfoTable(info);
}

}  // namespace
