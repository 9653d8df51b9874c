// NewLogOutput picks the class by overload and gives up on bad parameters;
// DeleteLogOutput deletes only the library's own outputs.
#include <gtest/gtest.h>

#include "qmerrlog/logger.h"
#include "support/temp_dir.h"

namespace {

void Sync(const char*, int) {}
void SyncUser(const char*, int, void*) {}
void Async(const char*, int, QmReleaseFunction) {}
void AsyncUser(const char*, int, QmReleaseFunction, void*) {}

// A program's own output; notes its destruction.
class ProgramOutput : public CQmLogOutput {
public:
    ProgramOutput(int type, bool* destroyed) : m_destroyed(destroyed) { SetType(type); }
    ~ProgramOutput() override { *m_destroyed = true; }
    bool Open() override { return true; }
    bool Log(CQmErrLogMessage&) override { return true; }
    bool Close() override { return true; }

private:
    bool* m_destroyed;
};

TEST(OutputCreationTest, OverloadDecidesTheClassAndBadParametersGiveNull) {
    CQmLogger* logger = theLogger();
    ASSERT_NE(logger, nullptr);
    qmtest::TempDir dir;
    int user = 0;
    const std::string path = dir.Path("a.log");
    CQmLogOutput* outputs[] = {logger->NewLogOutput(7),
                               logger->NewLogOutput(0, path.c_str(), 1, 0, 0),
                               logger->NewLogOutput(0, &Sync),
                               logger->NewLogOutput(0, &Async),
                               logger->NewLogOutput(0, &SyncUser, &user),
                               logger->NewLogOutput(0, &AsyncUser, &user)};
    for (int type = 0; type <= 5; ++type) {
        ASSERT_NE(outputs[type], nullptr) << type;
        EXPECT_EQ(outputs[type]->GetType(), type);
    }
    EXPECT_FALSE(std::filesystem::exists(path));  // created, not opened
    for (CQmLogOutput* output : outputs) logger->DeleteLogOutput(output);

    EXPECT_EQ(logger->NewLogOutput(1, nullptr, 1, 0, 0), nullptr);
    EXPECT_EQ(logger->NewLogOutput(1, path.c_str(), 9, 0, 0), nullptr);
}

TEST(OutputCreationTest, DeleteLeavesOutputsOfOtherCodesAlone) {
    CQmLogger* logger = theLogger();
    logger->DeleteLogOutput(nullptr);
    bool destroyed = false;
    ProgramOutput foreign(6, &destroyed);
    logger->DeleteLogOutput(&foreign);  // deleting a stack object would crash
    ProgramOutput unset(-1, &destroyed);
    logger->DeleteLogOutput(&unset);
    EXPECT_FALSE(destroyed);
    logger->DeleteLogOutput(new ProgramOutput(2, &destroyed));
    EXPECT_TRUE(destroyed);
}

}  // namespace
