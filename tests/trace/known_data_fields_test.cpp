// The known data field table as a logger lists it.
#include <string>

#include <gtest/gtest.h>

#include "core/known_data_fields.h"

TEST(KnownDataFields, ListTextNamesTheSixtyFourFieldsInIdOrderWithSingleBlanks) {
    int count = 0;
    const KNOWNDATAFIELDINFO* table = nullptr;
    ASSERT_TRUE(GetKnownDataFields(&count, &table));
    ASSERT_EQ(count, 64);
    std::string names;
    for (int id = 0; id < count; ++id) names += (id == 0 ? "" : " ") + std::string(table[id].name);
    EXPECT_EQ(qm::BuildDataFieldListText(), names);
}
