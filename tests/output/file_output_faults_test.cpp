// File output under the faults production log directories see: a file held
// by another process, file systems without hard links, full disks, a
// directory at the log path. The fake disk makes the faults a test cannot
// make for real; everything else is the real disk.
#include <tuple>

#include "support/file_output_fixture.h"

namespace fs = std::filesystem;

namespace {

using FileOutputFaults = FileOutputFixture;

// A refused rename keeps the lines in the held file; the next try comes only
// more than 300 s after the refusal. In mode 2 the refusal at Open is retried
// by the first line, and refused again.
TEST_F(FileOutputFaults, RefusedRenameKeepsAppendingUntilMoreThan300Seconds) {
    for (int mode : {2, 3}) {
        SCOPED_TRACE(mode);
        const std::string name = "m" + std::to_string(mode);
        m_disk.refuseRenames = true;
        m_disk.offsetSeconds = 0;
        ASSERT_TRUE(Open(name + ".log", "held\n", mode, 0, 0));
        m_disk.offsetSeconds = 602;
        EXPECT_TRUE(Log("1\n"));
        m_disk.refuseRenames = false;
        for (int at : {902, 903}) {
            m_disk.offsetSeconds = at;
            EXPECT_TRUE(Log(std::to_string(at) + "\n"));
        }
        EXPECT_EQ(In(name + "_20090315_101503.log"), "held\n1\n902\n");
        EXPECT_EQ(In(name + ".log"), "903\n");
    }
}

// No hard links and no no-replace rename: a plain rename to a free name, at
// once and as often as needed, never "held elsewhere, try in 300 s".
TEST_F(FileOutputFaults, WithoutHardLinksTheRolloverRenamesToAFreeName) {
    m_disk.noHardLinks = true;
    ASSERT_TRUE(Open("a.log", "old\n", 4, 0, 0));
    EXPECT_TRUE(Log("1\n"));
    EXPECT_TRUE(Log("2\n"));
    EXPECT_EQ(In("a_20090315_100000.log") + "|" + In("a_20090315_100000_01.log") + "|" +
                  In("a_20090315_100000_02.log") + "|" + In("a.log"),
              "old\n||1\n|2\n");

    // The checked rename itself, on the real disk: a taken name is never replaced.
    qm::FileSystem* disk = qm::RealFileSystem();
    const std::string from = m_dir.Write("from", "from"), taken = m_dir.Write("taken", "taken");
    EXPECT_EQ(disk->RenameIfAbsent(from.c_str(), taken.c_str()), qm::RenameResult::kAlreadyExists);
    EXPECT_EQ(In("from") + In("taken"), "fromtaken");
    EXPECT_EQ(disk->RenameIfAbsent(from.c_str(), m_dir.Path("free").c_str()), qm::RenameResult::kRenamed);
    EXPECT_EQ(In("from") + In("free"), "<none>from");
}

// A line cut short by a full disk is a failure, and the first line accepted
// after space returns starts on a line of its own; a write that put nothing
// on disk leaves nothing to end. Lock-free and size-limited modes alike.
TEST_F(FileOutputFaults, ShortWriteFailsAndTheNextLineStartsFresh) {
    for (int mode : {1, 3}) {
        SCOPED_TRACE(mode);
        const std::string name = "m" + std::to_string(mode) + ".log";
        m_disk.spaceLeft = -1;
        ASSERT_TRUE(Open(name, nullptr, mode, 1, 0));
        // Space left before each line, and whether the line was accepted.
        const std::tuple<long long, const char*, bool> lines[] = {
            {-1, "first\n", true}, {3, "second\n", false}, {0, "third\n", false},
            {-1, "fourth\n", true}, {0, "fifth\n", false}, {-1, "sixth\n", true}};
        for (const auto& [space, text, accepted] : lines) {
            m_disk.spaceLeft = space;
            EXPECT_EQ(Log(text), accepted) << text;
        }
        EXPECT_EQ(In(name), "first\nsec\nfourth\nsixth\n");
    }
}

// A directory left at the log path is never opened, emptied or renamed as a
// backup, whatever the mode.
TEST_F(FileOutputFaults, DirectoryAtTheLogPathIsRefusedAndLeftInPlace) {
    fs::create_directory(m_dir.Path("a.log"));
    m_dir.Write("a.log/inside", "kept");
    for (int mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_FALSE(Open("a.log", nullptr, mode, 0, 0));
        EXPECT_FALSE(Log("x\n"));
    }
    EXPECT_EQ(Entries(), (Names{"a.log"}));
    EXPECT_EQ(In("a.log/inside"), "kept");
}

}  // namespace
