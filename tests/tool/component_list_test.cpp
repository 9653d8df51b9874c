// Reading a logger's component list text back into names a trace
// configuration can use.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "component_list.h"

namespace {

using qm::tool::ComponentEntry;
using qm::tool::IsSingleToken;
using qm::tool::ParseComponentList;

// "name=description@owner" per entry, for compact expectations.
std::vector<std::string> Summary(const char* text) {
    std::vector<std::string> lines;
    for (const ComponentEntry& entry : ParseComponentList(text)) {
        lines.push_back(entry.name + "=" + entry.description + "@" + std::to_string(entry.owner));
    }
    return lines;
}

TEST(ComponentListTest, TheLibrarysOwnComponentAlone) {
    EXPECT_EQ(Summary("Log ; Log description : Legacy ; Legacy Description."),
              (std::vector<std::string>{"Log=Log description@-1", "Log/Legacy=Legacy Description.@0"}));
}

TEST(ComponentListTest, ComponentsWithAndWithoutTraceComponents) {
    EXPECT_EQ(Summary("Log ; Log description : Legacy ; Legacy Description. | Plain ; No traces | "
                      "Third ; Third test component : Alpha ; First trace&Beta ; Second trace"),
              (std::vector<std::string>{"Log=Log description@-1", "Log/Legacy=Legacy Description.@0",
                                        "Plain=No traces@-1", "Third=Third test component@-1",
                                        "Third/Alpha=First trace@3", "Third/Beta=Second trace@3"}));
}

TEST(ComponentListTest, SeparatorsInsideDescriptionsStayInThem) {
    // An "&", " | " or " : " that no "name ; description" follows belongs to
    // the description before it.
    EXPECT_EQ(Summary("Cache ; Lookups : hits | misses : Hit ; Hits & near hits&Miss ; Misses | Web ; Web tier"),
              (std::vector<std::string>{"Cache=Lookups : hits | misses@-1", "Cache/Hit=Hits & near hits@0",
                                        "Cache/Miss=Misses@0", "Web=Web tier@-1"}));
}

TEST(ComponentListTest, EmptyTextAndEmptyDescriptions) {
    EXPECT_TRUE(ParseComponentList(nullptr).empty());
    EXPECT_TRUE(ParseComponentList("").empty());
    EXPECT_EQ(Summary("Bare ;  : T ; "), (std::vector<std::string>{"Bare=@-1", "Bare/T=@0"}));
}

TEST(ComponentListTest, OnlyNamesWithoutDelimitersCanBeNamedInAFile) {
    EXPECT_TRUE(IsSingleToken("Log/Legacy"));
    EXPECT_TRUE(IsSingleToken("#Hash"));
    for (const char* name : {"", "Two words", "a:b", "a,b", "tab\there", "line\n"}) {
        EXPECT_FALSE(IsSingleToken(name)) << name;
    }
}

}  // namespace
