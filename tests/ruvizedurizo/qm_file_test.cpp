// The line reader under the trace configuration reader.
#include <string>

#include <gtest/gtest.h>

#include "qm_file.h"
#include "support/temp_dir.h"

namespace {

TEST(QmFileTest, LinesKeepTheirLineFeedsAndALongLineIsCutWithoutOverflow) {
    qmtest::TempDir dir;
    const std::string path =
        dir.Write("lines.txt", "one\r\n\n" + std::string(100, 'x') + "\nyyyyyyy\nlast");
    CQmFile file;
    ASSERT_TRUE(file.OpenFile(path.c_str(), 3));
    char line[9];
    line[8] = '@';
    EXPECT_EQ(file.ReadLine(line, 8), 5);
    EXPECT_STREQ(line, "one\r\n");
    EXPECT_EQ(file.ReadLine(line, 8), 1);
    EXPECT_STREQ(line, "\n");
    EXPECT_EQ(file.ReadLine(line, 8), 7);  // cut, the rest of the line skipped
    EXPECT_STREQ(line, "xxxxxxx");
    EXPECT_EQ(line[8], '@');
    EXPECT_EQ(file.ReadLine(line, 8), 7);  // fills the area; its line feed is past it
    EXPECT_STREQ(line, "yyyyyyy");
    EXPECT_EQ(file.ReadLine(line, 8), 4);
    EXPECT_STREQ(line, "last");
    EXPECT_LE(file.ReadLine(line, 8), 0);
    EXPECT_LE(file.ReadLine(line, 8), 0);
}

TEST(QmFileTest, RefusalsAndRepeatedClosesAreHarmless) {
    qmtest::TempDir dir;
    CQmFile file;
    char line[16];
    EXPECT_LE(file.ReadLine(line, sizeof line), 0);
    EXPECT_FALSE(file.OpenFile(nullptr, 3));
    EXPECT_FALSE(file.OpenFile(dir.Path("missing").c_str(), 3));
    EXPECT_FALSE(file.OpenFile(dir.Path().c_str(), 3));  // a directory is no file of lines
    file.CloseFile();

    const std::string path = dir.Write("x.txt", "x\n");
    EXPECT_FALSE(file.OpenFile(path.c_str(), 1));
    ASSERT_TRUE(file.OpenFile(path.c_str(), 3));
    EXPECT_EQ(file.ReadLine(nullptr, 16), 0);
    EXPECT_EQ(file.ReadLine(line, 1), 0);
    file.CloseFile();
    file.CloseFile();
    EXPECT_LE(file.ReadLine(line, sizeof line), 0);
}  // the destructor closes once more

}  // namespace
