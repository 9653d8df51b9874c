// Where the file output splits a log path into directory and file name:
// at the last '/' or '\' on Windows, at the last '/' alone on POSIX, where a
// backslash is an ordinary character of a file name.
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "support/file_output_fixture.h"

namespace fs = std::filesystem;

namespace {

using LogPathSeparators = FileOutputInEachPathStyle;
using LogPathSplit = CQmFileOutputTestAccess;

// The backup is named by the directory exactly as the user wrote it.
TEST_P(LogPathSeparators, BackupGoesBesideTheFileInTheSeparatorsItWasGiven) {
    const std::string given = qmtest::InStyle(m_dir.Path("a.log"), GetParam());
    ASSERT_TRUE(Open("a.log", "old\n", 4, 0, 2));
    EXPECT_TRUE(Log("1\n"));
    EXPECT_EQ(m_disk.LastRenameTarget(), given.substr(0, given.size() - 5) + "a_20090315_100000_01.log");
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_100000.log", "a_20090315_100000_01.log"}));
    EXPECT_TRUE(Log("2\n"));  // pruned in whatever style it was found
    EXPECT_EQ(Entries(), (Names{"a.log", "a_20090315_100000_01.log", "a_20090315_100000_02.log"}));
    EXPECT_EQ(In("a.log") + In("a_20090315_100000_02.log"), "2\n1\n");
}

INSTANTIATE_TEST_SUITE_P(PathStyles, LogPathSeparators, testing::ValuesIn(qmtest::PathStylesOfThisPlatform()),
                         qmtest::PathStyleName);

// A backslash after the last slash: a directory separator on Windows (the
// last separator of either kind wins), part of the file name on POSIX.
TEST_F(LogPathSplit, BackslashSeparatesOnlyOnWindows) {
    fs::create_directory(m_dir.Path("x"));
    const std::string path = qmtest::InStyle(m_dir.Path(), qmtest::PathStyle::kSlashes) + "x\\a.log";
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
