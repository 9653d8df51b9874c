// Building the component half of the known information, and the unload rule,
// on component tables made in the test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/catalogue.h"
#include "fake_component.h"
#include "qmerrlog/logger.h"
#include "qmerrlog/tracedata.h"

using qmtest::FakeComponent;

namespace {

struct BuiltInfo {
    std::string text = "stale";
    QmTraceComponentInfo* info = nullptr;
    int count = -1;
    ~BuiltInfo() { qm::FreeComponentInfo(&info, &count); }
};

TEST(ComponentTable, EmptySlotsAreSkippedAndComponentsSeparated) {
    FakeComponent first(0x1000000u, "One", "x");
    FakeComponent third(0x3000000u, "Three", "x", 2);
    CQmErrLogComponent* table[] = {&first, nullptr, &third, nullptr};
    BuiltInfo built;
    qm::BuildComponentInfo(table, 4, &built.text, &built.info, &built.count);
    EXPECT_EQ("One ; fake | Three ; fake : T001 ; d&T002 ; d", built.text);
    ASSERT_EQ(4, built.count);
    EXPECT_EQ(0x1000000u, built.info[0].id);
    EXPECT_STREQ("One", built.info[0].name);
    EXPECT_EQ(0x3000000u, built.info[1].id);
    EXPECT_EQ(0x3010000u, built.info[2].id);
    EXPECT_STREQ("Three/T001", built.info[2].name);
    EXPECT_EQ(0x3020000u, built.info[3].id);
    EXPECT_STREQ("Three/T002", built.info[3].name);
}

TEST(ComponentTable, NoComponentsGiveAnEmptyText) {
    CQmErrLogComponent* table[] = {nullptr, nullptr};
    BuiltInfo none;
    qm::BuildComponentInfo(table, 0, &none.text, &none.info, &none.count);
    EXPECT_EQ("", none.text);
    EXPECT_EQ(0, none.count);
    BuiltInfo empty;
    qm::BuildComponentInfo(table, 2, &empty.text, &empty.info, &empty.count);
    EXPECT_EQ("", empty.text);
    EXPECT_EQ(0, empty.count);
}

// One component with more trace components than a table of one slot has room
// for (ten), and more than the id layout can number (255).
TEST(ComponentTable, GrowsPastItsFirstEstimateAndStopsAt255TraceComponents) {
    FakeComponent many(0x2000000u, "Many", "x", 300);
    CQmErrLogComponent* table[] = {&many};
    BuiltInfo built;
    qm::BuildComponentInfo(table, 1, &built.text, &built.info, &built.count);
    ASSERT_EQ(256, built.count);
    for (int j = 1; j <= 255; ++j) {
        ASSERT_EQ(0x2000000u | static_cast<unsigned int>(j) << 16, built.info[j].id) << j;
    }
    EXPECT_STREQ("Many/T255", built.info[255].name);
    const std::string tail = "T255 ; d";
    ASSERT_GE(built.text.size(), tail.size());
    EXPECT_EQ(tail, built.text.substr(built.text.size() - tail.size()));
    EXPECT_EQ(std::string::npos, built.text.find("T256"));
}

TEST(ComponentTable, StrayLowIdBitsOfAComponentAreIgnored) {
    FakeComponent odd(0x5012345u, "Odd", "x", 1);
    CQmErrLogComponent* table[] = {&odd};
    BuiltInfo built;
    qm::BuildComponentInfo(table, 1, &built.text, &built.info, &built.count);
    ASSERT_EQ(2, built.count);
    EXPECT_EQ(0x5000000u, built.info[0].id);
    EXPECT_EQ(0x5010000u, built.info[1].id);
}

// A full 32-byte trace component name without its NUL is cut at 32 bytes.
TEST(ComponentTable, UnterminatedTraceComponentNameIsReadToItsEnd) {
    class Unterminated : public FakeComponent {
    public:
        Unterminated() : FakeComponent(0x1000000u, "U", "x") {
            std::memset(m_trace.name, 'n', sizeof m_trace.name);
            m_trace.description = "d";
        }
        void GetTraceComponents(int* count, QmTraceComponentDesc** list) override {
            *count = 1;
            *list = &m_trace;
        }

    private:
        QmTraceComponentDesc m_trace{};
    } unterminated;
    CQmErrLogComponent* table[] = {&unterminated};
    BuiltInfo built;
    qm::BuildComponentInfo(table, 1, &built.text, &built.info, &built.count);
    ASSERT_EQ(2, built.count);
    EXPECT_EQ("U/" + std::string(32, 'n'), built.info[1].name);
}

class UnloadRule : public ::testing::Test {
protected:
    void SetUp() override { CQmLogger::m_bUnloadedComponents = false; }
    // The default logger of this program must still be able to unload at exit.
    void TearDown() override { CQmLogger::m_bUnloadedComponents = false; }
};

TEST_F(UnloadRule, FirstUnloadEmptiesTheTableAndLaterOnesLeaveTheirsAlone) {
    CQmErrLogComponent* first[25] = {GetComponentPtr()};
    int firstCount = 25;
    qm::UnloadComponents(first, &firstCount);
    EXPECT_TRUE(CQmLogger::m_bUnloadedComponents);
    EXPECT_EQ(0, firstCount);
    EXPECT_EQ(nullptr, first[0]);

    CQmErrLogComponent* second[25] = {GetComponentPtr()};
    int secondCount = 25;
    qm::UnloadComponents(second, &secondCount);
    EXPECT_EQ(25, secondCount);
    EXPECT_EQ(GetComponentPtr(), second[0]);
}

TEST_F(UnloadRule, EmptyTableDoesNotCountAsTheUnload) {
    CQmErrLogComponent* table[25] = {};
    int count = 0;
    qm::UnloadComponents(table, &count);
    EXPECT_FALSE(CQmLogger::m_bUnloadedComponents);
}

}  // namespace
