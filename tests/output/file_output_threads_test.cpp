// Many threads logging through one file output: every line must end up in
// exactly one file, whole, however many rollovers happen meanwhile.
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "output/file_system_fake.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using qmtest::LogText;

namespace {

constexpr int kThreads = 6;

// "T<thread> N<number> " then filler that depends on both, so a torn or
// interleaved line cannot pass for a whole one.
std::string Line(int thread, int number, std::size_t width) {
    std::string line = "T" + std::to_string(thread) + " N" + std::to_string(number) + " ";
    const char filler = static_cast<char>('a' + (thread * 7 + number) % 26);
    line.append(width - line.size() - 1, filler);
    line += '\n';
    return line;
}

// Runs body(thread) on kThreads threads released together.
template <typename Body>
void RunThreads(Body body) {
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < kThreads) std::this_thread::yield();
            body(t);
        });
    }
    for (std::thread& thread : threads) thread.join();
}

// Every line of every file in the directory, checked whole; the count of each
// (thread, number) pair seen.
std::map<std::pair<int, int>, int> CountLines(const std::string& directory, std::size_t width,
                                              std::size_t* files) {
    std::map<std::pair<int, int>, int> seen;
    *files = 0;
    for (const auto& entry : fs::directory_iterator(directory)) {
        ++*files;
        std::istringstream in(qmtest::ReadFile(entry.path().string()));
        std::string line;
        while (std::getline(in, line)) {
            int thread = -1;
            int number = -1;
            if (std::sscanf(line.c_str(), "T%d N%d ", &thread, &number) != 2 ||
                Line(thread, number, width) != line + "\n") {
                ADD_FAILURE() << "torn line in " << entry.path() << ": " << line.substr(0, 40);
                continue;
            }
            ++seen[{thread, number}];
        }
    }
    return seen;
}

void ExpectEveryLineOnce(const std::map<std::pair<int, int>, int>& seen, int perThread) {
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * perThread));
    for (const auto& [key, count] : seen) {
        EXPECT_EQ(count, 1) << "thread " << key.first << " line " << key.second;
    }
}

TEST(FileOutputThreadsTest, SizeLimitedOutputLosesNoLineAcrossManyRollovers) {
    qmtest::TempDir dir;
    qmtest::FakeFileSystem disk;  // one fixed second: the counters get exercised too
    CQmFileOutput output;
    const std::string path = dir.Path("busy.log");
    ASSERT_TRUE(output.SetParams(path.c_str(), 3, 1, 0));
    CQmFileOutputTestAccess::UseFileSystem(output, &disk);
    ASSERT_TRUE(output.Open());

    constexpr int kPerThread = 300;
    constexpr std::size_t kWidth = 10000;  // ~18 MB in 1 MB files
    std::atomic<int> failures{0};
    RunThreads([&](int t) {
        for (int n = 0; n < kPerThread; ++n) {
            if (!LogText(output, Line(t, n, kWidth))) ++failures;
        }
    });
    EXPECT_TRUE(output.Close());
    EXPECT_EQ(failures, 0);

    std::size_t files = 0;
    ExpectEveryLineOnce(CountLines(dir.Path(), kWidth, &files), kPerThread);
    EXPECT_GE(files, 15u);
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        EXPECT_LT(entry.file_size(), 1048576u) << entry.path();
    }
}

TEST(FileOutputThreadsTest, RetriedRolloverInUnlimitedModeLosesNoLine) {
    qmtest::TempDir dir;
    qmtest::FakeFileSystem disk;
    const std::string path = dir.Write("held.log", "");
    disk.refuseRenames = true;
    CQmFileOutput output;
    ASSERT_TRUE(output.SetParams(path.c_str(), 2, 0, 0));
    CQmFileOutputTestAccess::UseFileSystem(output, &disk);
    ASSERT_TRUE(output.Open());  // refused: appends to the held file for now

    constexpr int kPerThread = 2000;
    constexpr std::size_t kWidth = 120;
    std::atomic<int> failures{0};
    RunThreads([&](int t) {
        for (int n = 0; n < kPerThread; ++n) {
            if (t == 0 && n == kPerThread / 2) {
                disk.refuseRenames = false;
                disk.offsetSeconds = 301;  // the retry happens amid the writes
            }
            if (!LogText(output, Line(t, n, kWidth))) ++failures;
        }
    });
    EXPECT_TRUE(output.Close());
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(disk.renameAttempts, 2);

    std::size_t files = 0;
    ExpectEveryLineOnce(CountLines(dir.Path(), kWidth, &files), kPerThread);
    EXPECT_EQ(files, 2u);
}

TEST(FileOutputThreadsTest, AppendingOutputKeepsConcurrentLinesWhole) {
    qmtest::TempDir dir;
    CQmFileOutput output;
    const std::string path = dir.Path("plain.log");
    ASSERT_TRUE(output.SetParams(path.c_str(), 0, 0, 0));
    ASSERT_TRUE(output.Open());
    constexpr int kPerThread = 2000;
    constexpr std::size_t kWidth = 300;
    RunThreads([&](int t) {
        for (int n = 0; n < kPerThread; ++n) EXPECT_TRUE(LogText(output, Line(t, n, kWidth)));
    });
    EXPECT_TRUE(output.Close());
    std::size_t files = 0;
    ExpectEveryLineOnce(CountLines(dir.Path(), kWidth, &files), kPerThread);
}

}  // namespace
