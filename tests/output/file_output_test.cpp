// File output: what each mode does with an existing file, when a rollover
// happens, how backups are named and pruned, and how disk failures surface.
#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "output/file_system_fake.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using qmtest::LogText;
using qmtest::ReadFile;
using Access = CQmFileOutputTestAccess;

namespace {

class FileOutputTest : public testing::Test {
protected:
    // An output on dir/name with the fake disk behind it.
    void Configure(const std::string& name, int mode, int maxSizeMb, int maxBackups) {
        m_path = m_dir.Path(name);
        ASSERT_TRUE(m_output.SetParams(m_path.c_str(), mode, maxSizeMb, maxBackups));
        Access::UseFileSystem(m_output, &m_disk);
    }

    std::set<std::string> Entries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    qmtest::TempDir m_dir;
    qmtest::FakeFileSystem m_disk;
    CQmFileOutput m_output;
    std::string m_path;
};

TEST_F(FileOutputTest, ModeZeroEmptiesAnExistingFileAndModeOneAppends) {
    m_dir.Write("a.log", "old\n");
    Configure("a.log", 0, 0, 0);
    ASSERT_TRUE(m_output.Open());
    EXPECT_EQ(ReadFile(m_path), "");
    EXPECT_TRUE(LogText(m_output, "one\n"));
    EXPECT_TRUE(m_output.Close());

    CQmFileOutput appending;
    ASSERT_TRUE(appending.SetParams(m_path.c_str(), 1, 0, 0));
    ASSERT_TRUE(appending.Open());
    EXPECT_TRUE(LogText(appending, "two\n"));
    EXPECT_TRUE(LogText(appending, "three\n"));
    EXPECT_EQ(ReadFile(m_path), "one\ntwo\nthree\n");
    EXPECT_EQ(Entries(), std::set<std::string>{"a.log"});
}

TEST_F(FileOutputTest, MissingFileIsCreatedInEveryModeWithoutBackup) {
    for (int mode = 0; mode <= 4; ++mode) {
        const std::string name = "m" + std::to_string(mode) + ".log";
        Configure(name, mode, 1, 0);
        ASSERT_TRUE(m_output.Open()) << mode;
        EXPECT_TRUE(LogText(m_output, "x\n")) << mode;
        EXPECT_TRUE(m_output.Close());
        EXPECT_EQ(ReadFile(m_path), "x\n") << mode;
        EXPECT_EQ(fs::status(m_path).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
    }
    EXPECT_EQ(Entries().size(), 5u);
}

TEST_F(FileOutputTest, ModeTwoSetsAnExistingFileAsideEvenWhenEmpty) {
    m_dir.Write("a.log", "");
    Configure("a.log", 2, 0, 0);
    ASSERT_TRUE(m_output.Open());
    EXPECT_TRUE(LogText(m_output, "new\n"));
    EXPECT_EQ(Entries(), (std::set<std::string>{"a.log", "a_20090315_100000.log"}));
    EXPECT_EQ(ReadFile(m_path), "new\n");
    // Unlimited: no size check, however small the limit.
    EXPECT_TRUE(LogText(m_output, "more\n"));
    EXPECT_EQ(ReadFile(m_path), "new\nmore\n");
}

TEST_F(FileOutputTest, LineThatWouldReachTheLimitStartsTheNextFile) {
    m_dir.Write("a.log", std::string(1048000, 'o'));
    Configure("a.log", 3, 1, 0);
    ASSERT_TRUE(m_output.Open());
    const std::string small(499, 's');
    EXPECT_TRUE(LogText(m_output, small + "\n"));  // 1,048,500: appended
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_TRUE(LogText(m_output, std::string(74, 'f') + "\n"));  // 1,048,576 - 1: appended
    EXPECT_EQ(fs::file_size(m_path), 1048575u);
    EXPECT_EQ(Entries().size(), 1u);

    m_disk.offsetSeconds = 7;
    EXPECT_TRUE(LogText(m_output, "x"));  // would reach the limit exactly
    EXPECT_EQ(ReadFile(m_path), "x");
    EXPECT_EQ(fs::file_size(m_dir.Path("a_20090315_100007.log")), 1048575u);
}

TEST_F(FileOutputTest, ThousandByteLineAfterFullFileGoesFirstIntoTheNewFile) {
    m_dir.Write("a.log", std::string(1048000, 'o'));
    Configure("a.log", 3, 1, 0);
    ASSERT_TRUE(m_output.Open());
    const std::string line = std::string(999, 'k') + "\n";
    EXPECT_TRUE(LogText(m_output, line));
    EXPECT_EQ(ReadFile(m_path), line);
    EXPECT_EQ(fs::file_size(m_dir.Path("a_20090315_100000.log")), 1048000u);
}

TEST_F(FileOutputTest, ZeroLimitRollsBeforeEveryLine) {
    m_disk.advancePerStamp = true;
    m_dir.Write("a.log", "before\n");
    Configure("a.log", 4, 0, 0);
    ASSERT_TRUE(m_output.Open());  // mode 4 sets the old file aside first
    EXPECT_TRUE(LogText(m_output, "1\n"));
    EXPECT_TRUE(LogText(m_output, "2\n"));
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100000.log")), "before\n");
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100001.log")), "");
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100002.log")), "1\n");
    EXPECT_EQ(ReadFile(m_path), "2\n");
    EXPECT_EQ(Entries().size(), 4u);
}

TEST_F(FileOutputTest, FourGigabyteLimitWrapsToZero) {
    ASSERT_TRUE(m_output.SetParams("/tmp/x.log", 3, 4096, 0));
    EXPECT_EQ(Access::MaxFileSize(m_output), 0u);
    ASSERT_TRUE(m_output.SetParams("/tmp/x.log", 3, 4095, 0));
    EXPECT_EQ(Access::MaxFileSize(m_output), 4095u << 20);
}

TEST_F(FileOutputTest, BadParametersChangeNothing) {
    Configure("a.log", 1, 0, 0);
    EXPECT_FALSE(m_output.SetParams(nullptr, 1, 0, 0));
    EXPECT_FALSE(m_output.SetParams("", 1, 0, 0));
    EXPECT_FALSE(m_output.SetParams("/tmp/b.log", -1, 0, 0));
    EXPECT_FALSE(m_output.SetParams("/tmp/b.log", 5, 0, 0));
    EXPECT_FALSE(m_output.SetParams("/tmp/b.log", 1, -1, 0));
    EXPECT_FALSE(m_output.SetParams("/tmp/b.log", 1, 0, -1));
    ASSERT_TRUE(m_output.Open());
    EXPECT_TRUE(LogText(m_output, "kept\n"));
    EXPECT_EQ(ReadFile(m_path), "kept\n");

    CQmFileOutput unconfigured;
    EXPECT_EQ(unconfigured.GetType(), 1);
    EXPECT_FALSE(unconfigured.Open());
    EXPECT_FALSE(LogText(unconfigured, "x"));
    EXPECT_TRUE(unconfigured.Close());
}

TEST_F(FileOutputTest, ClosedOutputRefusesLinesAndCanBeReopened) {
    Configure("a.log", 1, 0, 0);
    EXPECT_FALSE(LogText(m_output, "early\n"));
    ASSERT_TRUE(m_output.Open());
    ASSERT_TRUE(m_output.Open());  // reopening does not duplicate lines
    EXPECT_TRUE(LogText(m_output, "a\n"));
    EXPECT_TRUE(m_output.Close());
    EXPECT_TRUE(m_output.Close());
    EXPECT_FALSE(LogText(m_output, "lost\n"));
    ASSERT_TRUE(m_output.Open());
    EXPECT_TRUE(LogText(m_output, "b\n"));
    EXPECT_EQ(ReadFile(m_path), "a\nb\n");
    // The base behaviour the file output keeps.
    m_output.EnableBuffering(true);
    EXPECT_FALSE(m_output.IsBufferingEnabled());
    EXPECT_FALSE(m_output.IsBufferingSupported());
    EXPECT_FALSE(m_output.IsAsync());
    EXPECT_TRUE(m_output.Flush());
}

TEST_F(FileOutputTest, PruningKeepsTheNewestBackupsUpToTheLimit) {
    for (const char* name : {"a_20090315_100003.log", "a_20090315_100001.log",
                             "a_20090315_100002.log"}) {
        m_dir.Write(name, name);
    }
    // Look-alikes that are not backups of a.log survive any pruning.
    const std::set<std::string> foreign = {"a_2009031_143005.log", "a_20090315-143005.log",
                                           "a_20090315_143005x.log", "a_20090315_143005.txt",
                                           "b_20000101_000000.log"};
    for (const std::string& name : foreign) m_dir.Write(name, "keep");
    m_dir.Write("a.log", "live\n");
    m_disk.offsetSeconds = 10;
    Configure("a.log", 4, 1, 3);
    ASSERT_TRUE(m_output.Open());

    std::set<std::string> expected = foreign;
    expected.insert({"a.log", "a_20090315_100002.log", "a_20090315_100003.log",
                     "a_20090315_100010.log"});
    EXPECT_EQ(Entries(), expected);
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100010.log")), "live\n");
}

TEST_F(FileOutputTest, PruningDeletesAllExcessAndCounterNamesAfterTheirSecond) {
    for (const char* name : {"a_20090315_100001_01.log", "a_20090315_100001.log",
                             "a_20090315_100002.log", "a_20090315_100001_02.log"}) {
        m_dir.Write(name, name);
    }
    m_dir.Write("a.log", "live\n");
    m_disk.offsetSeconds = 10;
    Configure("a.log", 2, 0, 2);
    ASSERT_TRUE(m_output.Open());
    EXPECT_EQ(Entries(), (std::set<std::string>{"a.log", "a_20090315_100002.log",
                                                "a_20090315_100010.log"}));
}

TEST_F(FileOutputTest, NoLimitOnBackupsDeletesNothing) {
    m_disk.advancePerStamp = true;
    Configure("a.log", 4, 0, 0);
    ASSERT_TRUE(m_output.Open());
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(LogText(m_output, "x\n"));
    EXPECT_EQ(Entries().size(), 6u);
}

TEST_F(FileOutputTest, RolloversWithinOneSecondAddACounter) {
    m_dir.Write("a.log", "0\n");
    Configure("a.log", 4, 0, 0);
    ASSERT_TRUE(m_output.Open());
    EXPECT_TRUE(LogText(m_output, "1\n"));
    EXPECT_TRUE(LogText(m_output, "2\n"));
    EXPECT_TRUE(LogText(m_output, "3\n"));
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100000.log")), "0\n");
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100000_01.log")), "");
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100000_02.log")), "1\n");
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100000_03.log")), "2\n");
    EXPECT_EQ(ReadFile(m_path), "3\n");
}

TEST_F(FileOutputTest, CounterContinuesFromTheHighestOfTheSecond) {
    m_dir.Write("a_20090315_100000.log", "");
    m_dir.Write("a_20090315_100000_11.log", "");
    m_dir.Write("a.log", "live\n");
    Configure("a.log", 2, 0, 0);
    ASSERT_TRUE(m_output.Open());
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100000_12.log")), "live\n");
}

TEST_F(FileOutputTest, TakenNameWithoutUsableNewerBackupFailsAndCloses) {
    // The stamp is taken, and the newest backup belongs to a later second
    // (the clock went back): no counter can be derived.
    m_dir.Write("a_20090315_100000.log", "");
    m_dir.Write("a_20090315_110000.log", "");
    m_dir.Write("a.log", "live\n");
    Configure("a.log", 2, 0, 0);
    EXPECT_FALSE(m_output.Open());
    EXPECT_FALSE(Access::IsOpen(m_output));
    EXPECT_EQ(ReadFile(m_path), "live\n");
}

TEST_F(FileOutputTest, FileWithoutExtensionGetsBackupsWithoutExtension) {
    m_dir.Write("trace", "old\n");
    m_dir.Write("trace_20090315_090000", "oldest");
    m_dir.Write("trace_20090315_143005.txt", "not a backup");
    Configure("trace", 4, 0, 2);
    ASSERT_TRUE(m_output.Open());
    EXPECT_TRUE(LogText(m_output, "x\n"));  // same second: counter, prunes the 09:00 backup
    EXPECT_EQ(Entries(), (std::set<std::string>{"trace", "trace_20090315_100000",
                                                "trace_20090315_100000_01",
                                                "trace_20090315_143005.txt"}));
    EXPECT_EQ(ReadFile(m_dir.Path("trace_20090315_100000")), "old\n");
    EXPECT_EQ(ReadFile(m_path), "x\n");
}

TEST_F(FileOutputTest, RecognisesOnlyItsOwnBackups) {
    CQmFileOutput& o = m_output;
    for (const char* name : {"a_20090315_143005.log", "a_20090315_143005_7.log",
                             "a_20090315_143005_123.log", "a_20090315_143005_.log",
                             "a_20090315_143005.old.log"}) {
        EXPECT_TRUE(Access::IsBackedUpFile(o, name, "a.log")) << name;
    }
    for (const char* name : {"a.log", "a_2009031_143005.log", "a_20090315-143005.log",
                             "a_20090315_143005x.log", "a_20090315_143005.txt",
                             "a_20090315_143005_1x.log", "A_20090315_143005.log",
                             "b_20090315_143005.log", "a_2009031x_143005.log",
                             "a_20090315_143005.LOG", "a_20090315_143005"}) {
        EXPECT_FALSE(Access::IsBackedUpFile(o, name, "a.log")) << name;
    }
    EXPECT_TRUE(Access::IsBackedUpFile(o, "trace_20090315_143005", "trace"));
    EXPECT_TRUE(Access::IsBackedUpFile(o, "trace_20090315_143005_02", "trace"));
    EXPECT_FALSE(Access::IsBackedUpFile(o, "trace_20090315_143005.txt", "trace"));
    EXPECT_TRUE(Access::IsBackedUpFile(o, "x.y_20090315_143005.log", "x.y.log"));
    EXPECT_FALSE(Access::IsBackedUpFile(o, nullptr, "a.log"));
}

TEST_F(FileOutputTest, RefusedRenameKeepsAppendingUntilRetryIsDue) {
    m_dir.Write("a.log", "held\n");
    m_disk.refuseRenames = true;
    Configure("a.log", 3, 0, 0);
    ASSERT_TRUE(m_output.Open());
    EXPECT_TRUE(LogText(m_output, "1\n"));  // rollover refused, appended anyway
    EXPECT_TRUE(Access::RetryPending(m_output));
    EXPECT_EQ(m_disk.renameAttempts, 1);

    m_disk.refuseRenames = false;
    m_disk.offsetSeconds = 300;  // not yet more than 300 s
    EXPECT_TRUE(LogText(m_output, "2\n"));
    EXPECT_EQ(m_disk.renameAttempts, 1);
    EXPECT_EQ(ReadFile(m_path), "held\n1\n2\n");

    m_disk.offsetSeconds = 301;
    EXPECT_TRUE(LogText(m_output, "3\n"));
    EXPECT_EQ(m_disk.renameAttempts, 2);
    EXPECT_FALSE(Access::RetryPending(m_output));
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100501.log")), "held\n1\n2\n");
    EXPECT_EQ(ReadFile(m_path), "3\n");
}

TEST_F(FileOutputTest, RefusedRenameAtOpenIsRetriedByUnlimitedMode) {
    m_dir.Write("a.log", "held\n");
    m_disk.refuseRenames = true;
    Configure("a.log", 2, 0, 0);
    ASSERT_TRUE(m_output.Open());
    EXPECT_TRUE(LogText(m_output, "1\n"));
    m_disk.offsetSeconds = 300;
    EXPECT_TRUE(LogText(m_output, "2\n"));
    EXPECT_EQ(m_disk.renameAttempts, 1);

    m_disk.offsetSeconds = 301;  // due, but still refused: the wait starts again
    EXPECT_TRUE(LogText(m_output, "3\n"));
    EXPECT_EQ(m_disk.renameAttempts, 2);
    m_disk.refuseRenames = false;
    m_disk.offsetSeconds = 601;
    EXPECT_TRUE(LogText(m_output, "4\n"));
    EXPECT_EQ(m_disk.renameAttempts, 2);
    m_disk.offsetSeconds = 602;
    EXPECT_TRUE(LogText(m_output, "5\n"));
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_101002.log")), "held\n1\n2\n3\n4\n");
    EXPECT_EQ(ReadFile(m_path), "5\n");
}

TEST_F(FileOutputTest, FailedDeleteWhilePruningClosesTheOutput) {
    m_dir.Write("a_20090315_090000.log", "old");
    m_dir.Write("a.log", "live\n");
    Configure("a.log", 3, 0, 1);
    ASSERT_TRUE(m_output.Open());
    m_disk.failRemoves = true;
    EXPECT_FALSE(LogText(m_output, "x\n"));
    EXPECT_FALSE(Access::IsOpen(m_output));
    m_disk.failRemoves = false;
    EXPECT_FALSE(LogText(m_output, "y\n"));  // nothing reopens it by itself
    EXPECT_EQ(ReadFile(m_path), "live\n");
    EXPECT_EQ(m_disk.renameAttempts, 0);

    ASSERT_TRUE(m_output.Open());  // the owner's reopen recovers
    EXPECT_TRUE(LogText(m_output, "z\n"));
    EXPECT_EQ(ReadFile(m_dir.Path("a_20090315_100000.log")), "live\n");
}

TEST_F(FileOutputTest, FailedWriteIsReported) {
    Configure("a.log", 1, 0, 0);
    ASSERT_TRUE(m_output.Open());
    m_disk.failWrites = true;
    EXPECT_FALSE(LogText(m_output, "x\n"));
    m_disk.failWrites = false;
    EXPECT_TRUE(LogText(m_output, "y\n"));
    EXPECT_EQ(ReadFile(m_path), "y\n");
}

TEST_F(FileOutputTest, PathWithoutSeparatorWorksUntilARolloverIsNeeded) {
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir.Path());
    CQmFileOutput plain;
    ASSERT_TRUE(plain.SetParams("a.log", 3, 0, 0));
    EXPECT_TRUE(plain.Open());  // a new file needs no rollover
    EXPECT_FALSE(LogText(plain, "x\n"));  // the zero limit does
    EXPECT_FALSE(LogText(plain, "y\n"));

    CQmFileOutput aside;
    ASSERT_TRUE(aside.SetParams("a.log", 2, 0, 0));
    EXPECT_FALSE(aside.Open());
    CQmFileOutput appending;
    ASSERT_TRUE(appending.SetParams("a.log", 1, 0, 0));
    EXPECT_TRUE(appending.Open());
    EXPECT_TRUE(LogText(appending, "z\n"));
    fs::current_path(previous);
    EXPECT_EQ(ReadFile(m_dir.Path("a.log")), "z\n");
}

TEST_F(FileOutputTest, RolloverWorksOnPathsOfUpTo235Bytes) {
    // A directory that brings "<dir>/a.log" to exactly 235 bytes.
    const std::string base = m_dir.Path();
    const std::size_t padding = 235 - base.size() - std::string("/d/a.log").size();
    const std::string directory = base + "/d" + std::string(padding, 'p');
    fs::create_directories(directory);
    const std::string fits = directory + "/a.log";
    ASSERT_EQ(fits.size(), 235u);
    const std::string tooLong = directory + "/ab.log";
    std::ofstream(fits) << "1\n";
    std::ofstream(tooLong) << "2\n";

    CQmFileOutput ok;
    ASSERT_TRUE(ok.SetParams(fits.c_str(), 2, 0, 0));
    Access::UseFileSystem(ok, &m_disk);
    EXPECT_TRUE(ok.Open());
    EXPECT_EQ(ReadFile(directory + "/a_20090315_100000.log"), "1\n");

    CQmFileOutput refused;
    ASSERT_TRUE(refused.SetParams(tooLong.c_str(), 2, 0, 0));
    Access::UseFileSystem(refused, &m_disk);
    EXPECT_FALSE(refused.Open());
    EXPECT_EQ(ReadFile(tooLong), "2\n");
}

}  // namespace
