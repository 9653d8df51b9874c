// The line reader under the trace configuration reader.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qm_file.h"
#include "support/temp_dir.h"

// Lines keep their line feeds; Windows line ends read exactly like line
// feeds, a carriage return anywhere else stays and one that ends the text
// goes. A long line is cut to the area, the rest of it skipped, and nothing
// is written past the area.
TEST(QmFileTest, LinesKeepTheirLineFeedsAndALongLineIsCutWithoutOverflow) {
    CQmFile file;
    ASSERT_TRUE(file.OpenText("one\r\n\r\n" + std::string(100, 'x') + "\nyyyyyyy\nb\rc\r\nxxxxxx\r\n\nlast\r"));
    char line[9];
    line[8] = '@';
    // "yyyyyyy" fills the area, its line feed is past it.
    for (const char* expected : {"one\n", "\n", "xxxxxxx", "yyyyyyy", "b\rc\n", "xxxxxx\n", "\n", "last"}) {
        EXPECT_EQ(file.ReadLine(line, 8), static_cast<int>(std::string(expected).size()));
        EXPECT_STREQ(line, expected);
    }
    EXPECT_EQ(line[8], '@');
    EXPECT_LE(file.ReadLine(line, 8), 0);
    EXPECT_LE(file.ReadLine(line, 8), 0);
}

// Paths that block their reader are refused at once, and so is
// a file over the bound; the file is read once, when opened. Refusals, reads
// outside an open file and repeated closes are all harmless.
TEST(QmFileTest, OnlyRegularFilesWithinTheBoundAreRead) {
    qmtest::TempDir dir;
    CQmFile file;
    char line[16];
    EXPECT_LE(file.ReadLine(line, sizeof line), 0);
    EXPECT_FALSE(file.OpenFile(nullptr, CQmFile::kReadLines));
    file.CloseFile();
    // A directory, a device read for ever, a FIFO without a writer: opening
    // must neither wait nor succeed.
    std::vector<std::string> nonRegular = {dir.Path()};
#ifndef _WIN32
    nonRegular.push_back("/dev/zero");
    if (std::system(("mkfifo '" + dir.Path("fifo") + "'").c_str()) == 0) nonRegular.push_back(dir.Path("fifo"));
#else
    nonRegular.push_back("NUL");
#endif
    for (const std::string& path : nonRegular) {
        EXPECT_FALSE(file.OpenFile(path.c_str(), CQmFile::kReadLines)) << path;
        EXPECT_EQ(file.LastRefusal(), CQmFile::kNotRegularFile) << path;
    }
    EXPECT_FALSE(file.OpenFile(dir.Path("missing").c_str(), CQmFile::kReadLines));
    EXPECT_EQ(file.LastRefusal(), CQmFile::kCannotRead);

    const std::string bound = dir.Write("bound.cfg", std::string(CQmFile::kMaxFileBytes - 2, '#') + "\nx");
    EXPECT_FALSE(file.OpenFile(bound.c_str(), 1));
    ASSERT_TRUE(file.OpenFile(bound.c_str(), CQmFile::kReadLines));
    dir.Write("bound.cfg", "changed\n");  // what was read stays what is delivered
    EXPECT_EQ(file.ReadLine(nullptr, 16), 0);
    EXPECT_EQ(file.ReadLine(line, 1), 0);
    EXPECT_EQ(file.ReadLine(line, sizeof line), 15);
    EXPECT_EQ(file.ReadLine(line, sizeof line), 1);
    EXPECT_STREQ(line, "x");
    file.CloseFile();
    file.CloseFile();
    EXPECT_LE(file.ReadLine(line, sizeof line), 0);
    const std::string over = dir.Write("over.cfg", std::string(CQmFile::kMaxFileBytes + 1, '\n'));
    EXPECT_FALSE(file.OpenFile(over.c_str(), CQmFile::kReadLines));
    EXPECT_EQ(file.LastRefusal(), CQmFile::kTooLarge);
}  // the destructor closes once more
