// File output under the faults production log directories see: backups that
// cannot be deleted, many rollovers in one second, file systems without hard
// links, full disks and files past 4 GiB. The fake disk makes the faults a
// test cannot make for real; everything else is the real disk.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/file_output_fixture.h"

namespace fs = std::filesystem;

namespace {

using FileOutputFaults = FileOutputInEachPathStyle;

std::string Backup(const char* stem, int counter) {
    char suffix[16] = "";
    if (counter > 0) std::snprintf(suffix, sizeof suffix, "_%02d", counter);
    return std::string(stem) + "_20090315_100000" + suffix + ".log";
}

// A limit of 0 rolls over before every line: 150 rollovers in one second.
// The counter after _99 is _100, then _101; and pruning keeps the newest.
TEST_P(FileOutputFaults, RolloversPastOneHundredInASecondCountOnAsNumbers) {
    ASSERT_TRUE(Open("a.log", nullptr, 3, 0, 0));
    int accepted = 0;
    for (int line = 0; line < 150; ++line) accepted += Log(std::to_string(line) + "\n");
    EXPECT_EQ(accepted, 150);
    EXPECT_EQ(In(Backup("a", 99)), "98\n");
    EXPECT_EQ(In(Backup("a", 100)), "99\n");
    EXPECT_EQ(In(Backup("a", 149)), "148\n");
    EXPECT_EQ(In("a.log"), "149\n");

    ASSERT_TRUE(Open("b.log", nullptr, 3, 0, 5));
    for (int line = 0; line < 120; ++line) ASSERT_TRUE(Log(std::to_string(line) + "\n"));
    Names kept;
    for (const std::string& name : Entries())
        if (name[0] == 'b') kept.insert(name);
    EXPECT_EQ(kept, (Names{"b.log", Backup("b", 115), Backup("b", 116), Backup("b", 117), Backup("b", 118),
                           Backup("b", 119)}));
    EXPECT_EQ(In(Backup("b", 119)), "118\n");
}

// Something under a backup's name that cannot be deleted (here a directory)
// is skipped by pruning and never stops a rollover; the other backups still
// keep to the limit.
TEST_P(FileOutputFaults, UndeletableBackupIsSkippedAndTheRolloverGoesOn) {
    fs::create_directory(m_dir.Path("a_20090315_090000.log"));
    m_dir.Write("a_20090315_090001.log", "older\n");
    ASSERT_TRUE(Open("a.log", "live\n", 4, 0, 2));
    for (const char* line : {"1\n", "2\n", "3\n"}) EXPECT_TRUE(Log(line));
    EXPECT_TRUE(fs::is_directory(m_dir.Path("a_20090315_090000.log")));
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_090000.log", Backup("a", 2), Backup("a", 3)}));
    EXPECT_EQ(In("a.log"), "3\n");
}

// No hard links and no no-replace rename: a plain rename to a free name, at
// once and as often as needed, never "held elsewhere, try in 300 s".
TEST_P(FileOutputFaults, WithoutHardLinksTheRolloverRenamesToAFreeName) {
    m_disk.noHardLinks = true;
    ASSERT_TRUE(Open("a.log", "old\n", 4, 0, 0));
    EXPECT_TRUE(Log("1\n"));
    EXPECT_TRUE(Log("2\n"));
    EXPECT_EQ(In(Backup("a", 0)) + "|" + In(Backup("a", 1)) + "|" + In(Backup("a", 2)) + "|" + In("a.log"),
              "old\n||1\n|2\n");
    EXPECT_GE(m_disk.plainRenames.load(), 3);

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
TEST_P(FileOutputFaults, ShortWriteFailsAndTheNextLineStartsFresh) {
    for (int mode : {1, 3}) {
        SCOPED_TRACE(mode);
        const std::string name = "m" + std::to_string(mode) + ".log";
        m_disk.spaceLeft = -1;
        ASSERT_TRUE(Open(name, nullptr, mode, 1, 0));
        EXPECT_TRUE(Log("first\n"));
        m_disk.spaceLeft = 3;
        EXPECT_FALSE(Log("second\n"));
        EXPECT_FALSE(Log("third\n"));
        m_disk.spaceLeft = -1;
        EXPECT_TRUE(Log("fourth\n"));
        m_disk.spaceLeft = 0;
        EXPECT_FALSE(Log("fifth\n"));
        m_disk.spaceLeft = -1;
        EXPECT_TRUE(Log("sixth\n"));
        EXPECT_EQ(In(name), "first\nsec\nfourth\nsixth\n");
    }
}

// Sizes are 64-bit: a live file past 4 GiB is rolled over at a 4096 MB
// limit, and that limit no longer wraps round to "before every line".
TEST_P(FileOutputFaults, SizesPast4GiBAreCountedInFull) {
    ASSERT_TRUE(Open("a.log", "x\n", 3, 4096, 0));
    EXPECT_TRUE(Log("small\n"));
    EXPECT_EQ(Entries(), (Names{"a.log"}));
    m_disk.extraSize = 5LL << 30;
    EXPECT_TRUE(Log("big\n"));
    EXPECT_EQ(In(Backup("a", 0)) + "|" + In("a.log"), "x\nsmall\n|big\n");
}

// A directory left at the log path is never opened, emptied or renamed as a
// backup, whatever the mode.
TEST_P(FileOutputFaults, DirectoryAtTheLogPathIsRefusedAndLeftInPlace) {
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

// Watching the path for external rotation costs one look a second, not one
// a line; and a regular file never pays for the broken-pipe protection.
TEST_P(FileOutputFaults, ThePathIsComparedAtMostOnceASecond) {
    for (int mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(Open("m" + std::to_string(mode) + ".log", nullptr, mode, 1, 0));
        const int before = m_disk.pathLookups;
        for (int second = 0; second < 3; ++second, ++m_disk.offsetSeconds)
            for (int line = 0; line < 50; ++line) ASSERT_TRUE(Log("x\n"));
        EXPECT_LE(m_disk.pathLookups - before, 3);
    }
    EXPECT_EQ(m_disk.pipeWrites.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(PathStyles, FileOutputFaults, testing::ValuesIn(qmtest::PathStylesOfThisPlatform()),
                         qmtest::PathStyleName);

}  // namespace
