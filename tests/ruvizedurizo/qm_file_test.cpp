// The line reader under the trace configuration reader.
#include <string>

#include <gtest/gtest.h>

#include "qm_file.h"
#include "support/temp_dir.h"

namespace {

TEST(QmFileTest, ReadsLinesWithTheirLineFeedsAndALastLineWithout) {
    qmtest::TempDir dir;
    const std::string path = dir.Write("lines.txt", "one\n\nthree\r\nlast");
    CQmFile file;
    ASSERT_TRUE(file.OpenFile(path.c_str(), 3));
    char line[64];
    EXPECT_EQ(file.ReadLine(line, sizeof line), 4);
    EXPECT_STREQ(line, "one\n");
    EXPECT_EQ(file.ReadLine(line, sizeof line), 1);
    EXPECT_STREQ(line, "\n");
    EXPECT_EQ(file.ReadLine(line, sizeof line), 7);
    EXPECT_STREQ(line, "three\r\n");
    EXPECT_EQ(file.ReadLine(line, sizeof line), 4);
    EXPECT_STREQ(line, "last");
    EXPECT_LE(file.ReadLine(line, sizeof line), 0);
    EXPECT_LE(file.ReadLine(line, sizeof line), 0);
}

TEST(QmFileTest, ALineLongerThanTheAreaIsCutThereAndItsRestSkipped) {
    qmtest::TempDir dir;
    const std::string path = dir.Write("long.txt", std::string(100, 'x') + "\n" +
                                                       std::string(7, 'y') + "\nafter\n");
    CQmFile file;
    ASSERT_TRUE(file.OpenFile(path.c_str(), 3));
    char line[9];
    line[8] = '@';
    EXPECT_EQ(file.ReadLine(line, 8), 7);
    EXPECT_STREQ(line, std::string(7, 'x').c_str());
    EXPECT_EQ(line[8], '@');  // nothing written past the area
    // A line that fills the area exactly, its line feed just past it.
    EXPECT_EQ(file.ReadLine(line, 8), 7);
    EXPECT_STREQ(line, "yyyyyyy");
    EXPECT_EQ(file.ReadLine(line, 8), 6);
    EXPECT_STREQ(line, "after\n");
    EXPECT_LE(file.ReadLine(line, 8), 0);
}

TEST(QmFileTest, RefusalsAndRepeatedClosesAreHarmless) {
    qmtest::TempDir dir;
    CQmFile file;
    char line[16];
    EXPECT_LE(file.ReadLine(line, sizeof line), 0);
    EXPECT_FALSE(file.OpenFile(nullptr, 3));
    EXPECT_FALSE(file.OpenFile(dir.Path("missing").c_str(), 3));
    file.CloseFile();
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
