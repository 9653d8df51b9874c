// NewLogOutput picks the class by overload, configures it and gives up on
// bad parameters; DeleteLogOutput deletes only the library's own outputs.
#include <gtest/gtest.h>

#include "qmerrlog/logger.h"
#include "qmerrlog/message.h"
#include "support/temp_dir.h"

namespace {

void Sync(const char*, int) {}
void SyncUser(const char*, int, void*) {}
void Async(const char*, int, QmReleaseFunction) {}
void AsyncUser(const char*, int, QmReleaseFunction, void*) {}

// A program's own output with a code of its own; counts its destruction.
class ProgramOutput : public CQmLogOutput {
public:
    explicit ProgramOutput(int type, bool* destroyed) : m_destroyed(destroyed) { SetType(type); }
    ~ProgramOutput() override { *m_destroyed = true; }
    bool Open() override { return true; }
    bool Log(CQmErrLogMessage&) override { return true; }
    bool Close() override { return true; }

private:
    bool* m_destroyed;
};

TEST(OutputCreationTest, OverloadDecidesTheClassWhateverTheTypeArgument) {
    CQmLogger* logger = theLogger();
    ASSERT_NE(logger, nullptr);
    qmtest::TempDir dir;
    int user = 0;
    const std::string path = dir.Path("a.log");
    CQmLogOutput* outputs[] = {
        logger->NewLogOutput(7),
        logger->NewLogOutput(0, path.c_str(), 1, 0, 0),
        logger->NewLogOutput(0, &Sync),
        logger->NewLogOutput(0, &Async),
        logger->NewLogOutput(0, &SyncUser, &user),
        logger->NewLogOutput(0, &AsyncUser, &user),
    };
    for (int type = 0; type <= 5; ++type) {
        ASSERT_NE(outputs[type], nullptr) << type;
        EXPECT_EQ(outputs[type]->GetType(), type);
    }
    // Not opened by creation: the file does not exist yet.
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(outputs[1]->Open());
    EXPECT_TRUE(outputs[1]->Close());
    for (CQmLogOutput* output : outputs) logger->DeleteLogOutput(output);
}

TEST(OutputCreationTest, RefusedParametersGiveNull) {
    CQmLogger* logger = theLogger();
    EXPECT_EQ(logger->NewLogOutput(1, nullptr, 1, 0, 0), nullptr);
    EXPECT_EQ(logger->NewLogOutput(1, "", 1, 0, 0), nullptr);
    EXPECT_EQ(logger->NewLogOutput(1, "/tmp/x.log", 9, 0, 0), nullptr);
    EXPECT_EQ(logger->NewLogOutput(1, "/tmp/x.log", 3, -1, 0), nullptr);
    // Null callbacks are accepted here; Open or Log refuses them later.
    CQmLogOutput* output = logger->NewLogOutput(4, static_cast<QmSyncParameterizedCallback>(nullptr),
                                                nullptr);
    ASSERT_NE(output, nullptr);
    EXPECT_FALSE(output->Open());
    logger->DeleteLogOutput(output);
}

TEST(OutputCreationTest, DeleteLeavesOutputsOfOtherCodesAlone) {
    CQmLogger* logger = theLogger();
    logger->DeleteLogOutput(nullptr);
    bool destroyed = false;
    ProgramOutput foreign(6, &destroyed);
    logger->DeleteLogOutput(&foreign);  // would crash deleting a stack object
    EXPECT_FALSE(destroyed);
    ProgramOutput negative(-1, &destroyed);
    logger->DeleteLogOutput(&negative);
    EXPECT_FALSE(destroyed);

    bool deleted = false;
    logger->DeleteLogOutput(new ProgramOutput(2, &deleted));
    EXPECT_TRUE(deleted);
}

}  // namespace
