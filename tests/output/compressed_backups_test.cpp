// Compressed backups: every compressed backup unpacks to exactly the bytes
// written, no line is lost or doubled while many threads roll over, a
// failing compression leaves the plain backup and nothing else behind, and
// pruning counts plain and compressed backups as one history.
#include <map>
#include <random>
#include <sstream>
#include <thread>
#include <tuple>

#include "output/backup_compression.h"
#include "support/file_output_fixture.h"

namespace fs = std::filesystem;

namespace {

struct CompressedBackups : FileOutputFixture {
    bool OpenCompressing(const std::string& name, const char* content, int mode, int maxSizeMb, int maxBackups) {
        m_output.SetCompressBackups(true);
        const bool opened = Open(name, content, mode, maxSizeMb, maxBackups);
        qm::WaitForBackupCompression();
        return opened;
    }
    std::string Unpacked(const std::string& name) const { return qmtest::Unpacked(m_dir.Path(name)); }
};

// Four threads, a rollover before every line, hundreds of them in one
// second: every accepted line is found exactly once, alone in its file,
// across the live file, the compressed backups (each a complete gzip
// stream, the first one empty) and the plain ones the bounded queue left,
// which the next openings compress.
TEST_F(CompressedBackups, ManyThreadsRollingOverLoseAndDoubleNothing) {
    ASSERT_TRUE(OpenCompressing("t.log", nullptr, 3, 0, 0));
    constexpr int kThreads = 4, kLines = 80;
    std::atomic<int> accepted{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) accepted += Log("line " + std::to_string(t * 1000 + i) + "\n");
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(accepted.load(), kThreads * kLines);
    // Each opening queues as many plain backups as the bounded queue takes.
    int plain = 1;
    for (int opening = 0; plain > 0 && opening < 10; ++opening) {
        ASSERT_TRUE(m_output.Close());
        ASSERT_TRUE(OpenCompressing("t.log", nullptr, 1, 0, 0));
        std::map<std::string, int> seen;
        plain = 0;
        for (const std::string& name : Entries()) {
            ASSERT_EQ(name.find(".part"), std::string::npos) << name;
            const bool compressed = name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0;
            plain += !compressed && name != "t.log";
            std::istringstream text(compressed ? Unpacked(name) : In(name));
            int lines = 0;
            for (std::string line; std::getline(text, line); ++lines) ++seen[line];
            ASSERT_LE(lines, 1) << name;  // size check, rollover and write were one step
        }
        ASSERT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));
        for (const auto& [line, count] : seen) ASSERT_EQ(count, 1) << line;
    }
    EXPECT_EQ(plain, 0);
}

// A read error part-way, a full disk, a sync that fails: the plain backup
// keeps its bytes, no partial or compressed file is left (not even the one a
// crash left), and the next opening on a healthy disk compresses it and
// removes a partial file whose plain backup is gone.
TEST_F(CompressedBackups, FailedCompressionLosesNothingAndLeavesNoStrayFiles) {
    std::string text;  // several 64 KiB blocks
    for (int i = 0; i < 8000; ++i) text += "ERROR db.cpp:42 The database is down (" + std::to_string(i) + ")\n";
    const std::string backup = "a_20090315_090000.log";
    // Bytes readable before a read error, space left, whether the sync fails.
    const std::tuple<long long, long long, bool> faults[] = {
        {100000, -1, false}, {0, -1, false}, {-1, 5000, false}, {-1, 0, false}, {-1, -1, true}};
    m_dir.Write(backup, text);
    for (const auto& [readable, space, failSync] : faults) {
        SCOPED_TRACE(testing::Message() << readable << " readable, " << space << " space, sync fails " << failSync);
        m_dir.Write("." + backup + ".gz.part", "left by a crash");
        m_disk.readableBytes = readable;
        m_disk.spaceLeft = space;
        m_disk.failSyncs = failSync;
        ASSERT_TRUE(OpenCompressing("a.log", nullptr, 1, 0, 0));
        EXPECT_EQ(Entries(), (Names{"a.log", backup}));
        EXPECT_EQ(In(backup), text);
        ASSERT_TRUE(m_output.Close());
    }
    m_disk.readableBytes = m_disk.spaceLeft = -1;
    m_disk.failSyncs = false;
    // Exit under way: the file in hand is abandoned the same way.
    const std::atomic<bool> stopping{true};
    EXPECT_FALSE(qm::CompressBackup(&m_disk, m_dir.Path(backup), stopping));
    EXPECT_EQ(Entries(), (Names{"a.log", backup}));
    // Both names, as when a run stopped after naming the compressed file: the
    // plain backup is the whole truth and is compressed again.
    m_dir.Write(backup + ".gz", "stale");
    m_dir.Write(".a_20090315_080000.log.gz.part", "its plain backup is gone");
    ASSERT_TRUE(OpenCompressing("a.log", nullptr, 1, 0, 0));
    EXPECT_EQ(Entries(), (Names{"a.log", backup + ".gz"}));
    EXPECT_EQ(Unpacked(backup + ".gz"), text);
}

// Whatever a backup holds comes back byte for byte: nothing, a line, text
// that shrinks to one small write, and random bytes whose compressed form
// fills the output buffer several times over.
TEST_F(CompressedBackups, EveryKindOfContentUnpacksToTheSameBytes) {
    std::mt19937 random(17);
    std::string noise(300 * 1024, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string log;
    for (int i = 0; log.size() < (3u << 20); ++i) log += "INFO load.cpp:" + std::to_string(i) + " request served\n";
    const std::pair<const char*, std::string> contents[] = {
        {"empty", ""}, {"one line", "ERROR db.cpp:42 The database is down\n"}, {"noise", noise}, {"log", log}};
    const std::atomic<bool> keepGoing{false};
    for (const auto& [kind, content] : contents) {
        SCOPED_TRACE(kind);
        const std::string backup = "k_20090315_100000.log";
        m_dir.Write(backup, content);
        ASSERT_TRUE(qm::CompressBackup(&m_disk, m_dir.Path(backup), keepGoing));
        EXPECT_EQ(Entries(), (Names{backup + ".gz"}));
        EXPECT_TRUE(Unpacked(backup + ".gz") == content);
        std::filesystem::remove(m_dir.Path(backup + ".gz"));
    }
}

// A backup pruned while the worker has it in hand: the work stops at the
// next block instead of compressing the rest for nothing, and no compressed
// copy brings the deleted backup back.
TEST_F(CompressedBackups, BackupPrunedWhileInHandStopsTheWorkAtTheNextBlock) {
#if defined(_WIN32)
    GTEST_SKIP() << "only POSIX tells an open file that its name is gone";
#endif
    struct PruningDisk : qmtest::FakeDisk {
        std::string victim;
        int reads = 0;
        long long Read(int descriptor, char* data, unsigned int length) override {
            if (++reads == 1) std::filesystem::remove(victim);
            return FakeDisk::Read(descriptor, data, length);
        }
    } disk;
    const std::string backup = "p_20090315_100000.log";
    disk.victim = m_dir.Write(backup, std::string(4 << 20, 'p'));  // 64 blocks
    const std::atomic<bool> keepGoing{false};
    EXPECT_FALSE(qm::CompressBackup(&disk, m_dir.Path(backup), keepGoing));
    EXPECT_LE(disk.reads, 2);
    EXPECT_EQ(Entries(), Names{});
}

// The rename to the .gz name must be on the disk before the plain backup
// goes: when the directory cannot be synced both names stay, and the next
// attempt compresses the plain backup again over the .gz.
TEST_F(CompressedBackups, UnsyncedDirectoryKeepsThePlainBackupUntilTheNextAttempt) {
    const std::string backup = "d_20090315_100000.log";
    m_dir.Write(backup, "kept\n");
    m_disk.failDirectorySyncs = true;
    ASSERT_TRUE(OpenCompressing("d.log", nullptr, 1, 0, 0));
    EXPECT_EQ(Entries(), (Names{"d.log", backup, backup + ".gz"}));
    EXPECT_EQ(In(backup), "kept\n");
    ASSERT_TRUE(m_output.Close());
    m_disk.failDirectorySyncs = false;
    ASSERT_TRUE(OpenCompressing("d.log", nullptr, 1, 0, 0));
    EXPECT_EQ(Entries(), (Names{"d.log", backup + ".gz"}));
    EXPECT_EQ(Unpacked(backup + ".gz"), "kept\n");

    // The real disk: a directory syncs, a missing one does not (Windows has
    // no directory sync to fail).
    EXPECT_TRUE(qm::RealFileSystem()->SyncDirectory(m_dir.Path().c_str()));
#if !defined(_WIN32)
    EXPECT_FALSE(qm::RealFileSystem()->SyncDirectory(m_dir.Path("missing").c_str()));
#endif
}

// Backups waiting together share one directory sync, their compressed
// files hidden until then; one listed twice is settled once, never losing
// its .gz to the second entry.
TEST_F(CompressedBackups, WaitingBackupsShareOneDirectorySync) {
    constexpr int kBackups = 20;
    for (int i = 0; i < kBackups; ++i) m_dir.Write("w_20090315_0900" + std::to_string(10 + i) + ".log", "w\n");
    ASSERT_TRUE(OpenCompressing("w.log", nullptr, 1, 0, 0));
    EXPECT_EQ(Entries().size(), static_cast<std::size_t>(kBackups + 1));
    for (const std::string& name : Entries()) {
        if (name != "w.log") {
            EXPECT_EQ(Unpacked(name), "w\n") << name;
        }
    }
    EXPECT_LE(m_disk.directorySyncs.load(), kBackups / 2);

    const std::string twice = m_dir.Write("v_20090315_090000.log", "v\n");
    const std::atomic<bool> keepGoing{false};
    ASSERT_TRUE(qm::WritePartialBackup(&m_disk, twice, keepGoing));
    EXPECT_TRUE(qm::SettleCompressedBackups(&m_disk, qm::BackupDirectory(twice), {twice, twice}));
    EXPECT_EQ(Unpacked("v_20090315_090000.log.gz"), "v\n");
    EXPECT_EQ(In("v_20090315_090000.log"), "<none>");
}

// The hidden partial name sits in the backup's own directory, split where
// the platform splits log paths, and its file name maps back to the backup's.
TEST(CompressedBackupNames, PartialNameSitsBesideTheBackup) {
    // Backup path, partial path, partial file name, backup file name.
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"/var/log/qm/s_20090315_143005.log", "/var/log/qm/.s_20090315_143005.log.gz.part",
         ".s_20090315_143005.log.gz.part", "s_20090315_143005.log"},
        {"s_20090315_143005.log", ".s_20090315_143005.log.gz.part", ".s_20090315_143005.log.gz.part",
         "s_20090315_143005.log"},
#if defined(_WIN32)
        {"C:\\logs/x\\a_20090315_143005.log", "C:\\logs/x\\.a_20090315_143005.log.gz.part",
         ".a_20090315_143005.log.gz.part", "a_20090315_143005.log"},
#else
        // A backslash is part of the name: the dot goes before the whole name.
        {"/var/log/qm/a\\b_20090315_143005.log", "/var/log/qm/.a\\b_20090315_143005.log.gz.part",
         ".a\\b_20090315_143005.log.gz.part", "a\\b_20090315_143005.log"},
#endif
    };
    for (const auto& [backup, partial, partialName, backupName] : cases) {
        EXPECT_EQ(qm::PartialBackupPath(backup), partial);
        EXPECT_EQ(qm::BackupNameOfPartial(partialName), backupName);
    }
    EXPECT_EQ(qm::BackupNameOfPartial("s_20090315_143005.log.gz"), "");
    EXPECT_EQ(qm::BackupNameOfPartial(".gz.part"), "");
}

// Plain and compressed backups are one history: the limit counts both and
// the oldest go first, whichever kind; the counter of a second continues
// past compressed names; and a name whose compressed twin exists is never
// taken. With compression off, .gz files are neither counted nor deleted.
TEST_F(CompressedBackups, PruningCountsPlainAndCompressedTogetherOldestFirst) {
    for (const char* name : {"a_20090315_095958.log.gz", "a_20090315_095959.log", "a_20090315_100000.log.gz",
                             "a_20090315_100000_01.log", "a_20090315_100000_02.log.gz", "a_20090315_100000_03.log.gz",
                             "a_20090315_100000.txt.gz", "b_20090315_100000.log.gz"})
        m_dir.Write(name, name);
    m_disk.readableBytes = 0;  // compression fails: the names stay as they are
    ASSERT_TRUE(OpenCompressing("a.log", "live\n", 4, 0, 4));
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_100000_01.log", "a_20090315_100000_02.log.gz",
                                "a_20090315_100000_03.log.gz", "a_20090315_100000_04.log", "a_20090315_100000.txt.gz",
                                "b_20090315_100000.log.gz"}));
    EXPECT_EQ(In("a_20090315_100000_04.log"), "live\n");

    // Only the compressed twin of the next free name exists.
    m_dir.Write("a_20090315_100001.log.gz", "twin");
    m_disk.offsetSeconds = 1;
    ASSERT_TRUE(Log("x\n"));  // size limit 0: rolls over
    qm::WaitForBackupCompression();
    EXPECT_EQ(In("a_20090315_100001.log.gz") + "|" + In("a_20090315_100001_01.log") + "|" +
                  In("a_20090315_100000_01.log") + In("a_20090315_100000_02.log.gz"),
              "twin||<none><none>");

    // Off: the .gz files are somebody else's.
    ASSERT_TRUE(m_output.Close());
    m_output.SetCompressBackups(false);
    ASSERT_TRUE(Open("a.log", nullptr, 4, 0, 1));
    EXPECT_EQ(In("a_20090315_100001.log.gz") + "|" + In("a_20090315_100000_03.log.gz") + "|" +
                  In("a_20090315_100001_02.log") + In("a_20090315_100001_01.log"),
              "twin|a_20090315_100000_03.log.gz|x\n<none>");
}

}  // namespace
