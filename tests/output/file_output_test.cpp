// File output: what each mode does with an existing file, when a rollover
// happens, how backups are named, counted and pruned, and where the log path
// is split into directory and file name.
#include <tuple>

#include "output/file_backups.h"
#include "platform/path_separators.h"
#include "support/file_output_fixture.h"

namespace fs = std::filesystem;

namespace {

using FileOutputTest = FileOutputFixture;

// The log path as users and mingw-w64 programs write it on Windows, which
// takes '/' as well as '\\': as given, all '/', and alternating with '/'
// last before the file name (so that a split at the last backslash would
// land in the wrong directory). POSIX has '/' alone.
std::vector<std::string> PathSpellings(const std::string& path) {
    if (!qm::platform::IsLogPathSeparator('\\')) return {path};
    std::string slashes = fs::path(path).generic_string(), mixed = slashes;
    bool slash = true;
    for (auto c = mixed.rbegin(); c != mixed.rend(); ++c)
        if (*c == '/') *c = (slash = !slash) ? '\\' : '/';
    return {path, slashes, mixed};
}

std::string Backup(const std::string& stem, int counter) {
    const std::string suffix = counter == 0 ? "" : (counter < 10 ? "_0" : "_") + std::to_string(counter);
    return stem + "_20090315_100000" + suffix + ".log";
}

TEST_F(FileOutputTest, EachModeTreatsAnExistingFileItsOwnWay) {
    // By mode: the file after Open and "x\n", and the backup of "old\n".
    const std::pair<const char*, const char*> expected[] = {
        {"x\n", "<none>"}, {"old\nx\n", "<none>"}, {"x\n", "old\n"}, {"old\nx\n", "<none>"}, {"x\n", "old\n"}};
    for (int mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        const std::string name = "m" + std::to_string(mode);
        ASSERT_TRUE(Open(name + ".log", "old\n", mode, 1, 0));
        EXPECT_TRUE(Log("x\n"));
        EXPECT_EQ(In(name + ".log"), expected[mode].first);
        EXPECT_EQ(In(name + "_20090315_100000.log"), expected[mode].second);
    }
    ASSERT_TRUE(Open("new.log", nullptr, 4, 1, 0));  // for its owner alone on POSIX
    // Compared with a file given exactly that, as the platform shows it
    // (Windows knows only read-only or not and repeats the owner's bits; who
    // may open the file there is the directory's inherited access list).
    const std::string owned = m_dir.Write("owned", "");
    fs::permissions(owned, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(m_dir.Path("new.log")).permissions(), fs::status(owned).permissions());
}

// Sizes are 64-bit: a live file past 4 GiB is rolled over at a 4096 MB
// limit, and that limit does not wrap round to "before every line".
TEST_F(FileOutputTest, LineThatWouldReachTheLimitStartsTheNextFile) {
    ASSERT_TRUE(Open("a.log", std::string(1048000, 'o').c_str(), 3, 1, 0));
    EXPECT_TRUE(Log(std::string(500, 's')));
    EXPECT_TRUE(Log(std::string(75, 'f')));  // limit - 1: appended
    m_disk.offsetSeconds = 7;
    EXPECT_TRUE(Log("x"));  // would reach the limit exactly
    EXPECT_EQ(In("a.log"), "x");
    EXPECT_EQ(fs::file_size(m_dir.Path("a_20090315_100007.log")), 1048575u);

    ASSERT_TRUE(Open("b.log", "x\n", 3, 4096, 0));
    EXPECT_TRUE(Log("small\n"));
    m_disk.extraSize = 5LL << 30;
    EXPECT_TRUE(Log("big\n"));
    EXPECT_EQ(In("b_20090315_100007.log") + "|" + In("b.log"), "x\nsmall\n|big\n");
}

// Three backups kept: the oldest go, so that the new one makes three. What
// cannot be deleted (a failing delete, a directory under a backup's name) is
// skipped and the rollover goes on; the next one tries again.
TEST_F(FileOutputTest, PruningKeepsTheNewestBackupsAndSkipsWhatCannotBeDeleted) {
    fs::create_directory(m_dir.Path("a_20090315_090000.log"));
    for (const char* name : {"a_20090315_100003.log", "a_20090315_100001_01.log", "a_20090315_100001.log",
                             "a_20090315_100002.log", "a_20090315_143005.txt"})
        m_dir.Write(name, name);
    m_disk.offsetSeconds = 10;
    ASSERT_TRUE(Open("a.log", "live\n", 4, 0, 3));
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_090000.log", "a_20090315_143005.txt", "a_20090315_100002.log",
                                "a_20090315_100003.log", "a_20090315_100010.log"}));
    EXPECT_EQ(In("a_20090315_100010.log"), "live\n");
    m_disk.failRemoves = true;
    EXPECT_TRUE(Log("x\n"));
    EXPECT_EQ(In("a_20090315_100010_01.log"), "");
    m_disk.failRemoves = false;
    EXPECT_TRUE(Log("y\n"));
    EXPECT_EQ(In("a.log"), "y\n");
    EXPECT_TRUE(fs::is_directory(m_dir.Path("a_20090315_090000.log")));
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_090000.log", "a_20090315_143005.txt", "a_20090315_100010.log",
                                "a_20090315_100010_01.log", "a_20090315_100010_02.log"}));
}

// Within one second the counter is one past the highest, as a number: after
// _99 comes _100; and pruning keeps the newest by that number. A name
// without extension gets its stamp at the end.
TEST_F(FileOutputTest, RolloversWithinOneSecondCountOnAsNumbers) {
    m_dir.Write("b_20090315_100000", "");
    m_dir.Write("b_20090315_100000_11", "");
    ASSERT_TRUE(Open("b", "b\n", 2, 0, 0));  // counts on from the highest
    EXPECT_EQ(In("b_20090315_100000_12"), "b\n");

    ASSERT_TRUE(Open("c.log", nullptr, 3, 0, 5));
    for (int line = 0; line < 120; ++line) ASSERT_TRUE(Log(std::to_string(line) + "\n"));
    Names kept;
    for (const std::string& name : Entries())
        if (name[0] == 'c') kept.insert(name);
    EXPECT_EQ(kept, (Names{"c.log", Backup("c", 115), Backup("c", 116), Backup("c", 117), Backup("c", 118),
                           Backup("c", 119)}));
    EXPECT_EQ(In(Backup("c", 119)) + In("c.log"), "118\n119\n");
}

// Only names of the backup pattern are counted and pruned; with compression
// on, "<backup>.gz" too, and a partial compressed file never.
TEST(BackupNames, RecognisesOnlyItsOwnBackups) {
    // Base name, then each entry: a plain backup, a compressed backup.
    const std::tuple<const char*, const char*, bool, bool> cases[] = {
        {"a.log", "a_20090315_143005.log", true, false}, {"a.log", "a_20090315_143005_7.log", true, false},
        {"a.log", "a_20090315_143005_123.log", true, false}, {"x.y.log", "x.y_20090315_143005.log", true, false},
        {"a.log", "a.log", false, false}, {"a.log", "a_2009031_143005.log", false, false},
        {"a.log", "a_20090315_143005x.log", false, false}, {"a.log", "a_20090315_143005_1x.log", false, false},
        {"a.log", "A_20090315_143005.log", false, false}, {"a.log", "a_20090315_143005.LOG", false, false},
        {"a.log", "a_20090315_143005_07.log.gz", false, true}, {"a.log", "a_20090315_143005.gz", false, false},
        {"a.log", ".a_20090315_143005.log.gz.part", false, false}, {"trace", "trace_20090315_143005_02", true, false},
        {"trace", "trace_20090315_143005.gz", false, true}, {"x.gz", "x_20090315_143005.gz.gz", true, true}};
    for (const auto& [base, entry, plain, compressed] : cases) {
        EXPECT_EQ(qm::IsBackupName(entry, base), plain) << entry << " of " << base;
        EXPECT_EQ(qm::IsCompressedBackupName(entry, base), compressed) << entry << " of " << base;
    }
}

// The backup is named by the directory exactly as the user wrote it (on
// Windows in each separator style), and pruned in whatever style it was found.
TEST_F(FileOutputTest, BackupGoesBesideTheFileInTheSeparatorsItWasGiven) {
    for (std::size_t i = 0; i < PathSpellings("").size(); ++i) {
        const std::string name = "s" + std::to_string(i);
        SCOPED_TRACE(name);
        const std::string given = PathSpellings(m_dir.Write(name + ".log", "old\n"))[i];
        ASSERT_TRUE(OpenAt(given, 4, 0, 2));
        EXPECT_TRUE(Log("1\n"));
        EXPECT_EQ(m_disk.LastRenameTarget(), given.substr(0, given.size() - 6) + Backup(name, 1));
        EXPECT_TRUE(Log("2\n"));
        EXPECT_EQ(In(Backup(name, 0)) + "|" + In(Backup(name, 1)) + "|" + In(Backup(name, 2)) + "|" + In(name + ".log"),
                  "<none>||1\n|2\n");
    }
}

// A backslash after the last slash: a directory separator on Windows (the
// last separator of either kind wins), part of the file name on POSIX.
TEST_F(FileOutputTest, BackslashSeparatesOnlyOnWindows) {
    fs::create_directory(m_dir.Path("x"));
    const std::string path = fs::path(m_dir.Path()).generic_string() + "x\\a.log";
    std::ofstream(path, std::ios::binary) << "old\n";
    ASSERT_TRUE(OpenAt(path, 4, 1, 0));  // set aside at Open
    EXPECT_TRUE(Log("new\n"));
#if defined(_WIN32)
    EXPECT_EQ(In("x/a_20090315_100000.log") + In("x/a.log"), "old\nnew\n");
    EXPECT_EQ(Entries(), (Names{"x"}));
#else
    EXPECT_EQ(In("x\\a_20090315_100000.log") + In("x\\a.log"), "old\nnew\n");
    EXPECT_EQ(Entries(), (Names{"x", "x\\a.log", "x\\a_20090315_100000.log"}));
    EXPECT_TRUE(fs::is_empty(m_dir.Path("x")));
#endif
}

}  // namespace
