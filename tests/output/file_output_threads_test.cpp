// Many threads logging through one file output: every line must end up in
// exactly one file, whole, however many rollovers happen meanwhile.
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "output/file_system_fake.h"
#include "support/temp_dir.h"

namespace {

constexpr int kThreads = 6;

// Filler that depends on thread and number, so a torn or mixed line cannot
// pass for a whole one.
std::string Line(int thread, int number, std::size_t width) {
    std::string line = "T" + std::to_string(thread) + " N" + std::to_string(number) + " ";
    line.append(width - line.size() - 1, static_cast<char>('a' + (thread * 7 + number) % 26));
    return line + "\n";
}

// Every thread logs perThread lines (thread 0 calls midway() halfway), then
// each line must be found exactly once, whole, in the directory's files.
template <typename Midway>
void LogFromThreadsAndCount(CQmFileOutput& output, const std::string& directory, int perThread,
                            std::size_t width, Midway midway) {
    std::atomic<int> ready{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (++ready; ready.load() < kThreads;) std::this_thread::yield();
            for (int n = 0; n < perThread; ++n) {
                if (t == 0 && n == perThread / 2) midway();
                if (!qmtest::LogText(output, Line(t, n, width))) ++failures;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_TRUE(output.Close());
    EXPECT_EQ(failures, 0);

    std::map<std::pair<int, int>, int> seen;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        std::istringstream in(qmtest::ReadFile(entry.path().string()));
        for (std::string line; std::getline(in, line);) {
            int thread = -1;
            int number = -1;
            std::sscanf(line.c_str(), "T%d N%d ", &thread, &number);
            EXPECT_EQ(line + "\n", Line(thread, number, width)) << entry.path();
            ++seen[{thread, number}];
        }
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * perThread));
    for (const auto& [key, count] : seen) EXPECT_EQ(count, 1) << key.first << " " << key.second;
}

TEST(FileOutputThreadsTest, SizeLimitedOutputLosesNoLineAcrossManyRollovers) {
    qmtest::TempDir dir;
    qmtest::FakeFileSystem disk;  // one fixed second: the counters are exercised too
    CQmFileOutput output;
    ASSERT_TRUE(output.SetParams(dir.Path("busy.log").c_str(), 3, 1, 0));
    CQmFileOutputTestAccess::UseFileSystem(output, &disk);
    ASSERT_TRUE(output.Open());
    LogFromThreadsAndCount(output, dir.Path(), 300, 10000, [] {});  // 18 MB in 1 MB files
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_LT(entry.file_size(), 1048576u);
    }
    EXPECT_GE(disk.renameAttempts, 17);
}

TEST(FileOutputThreadsTest, RetriedRolloverInUnlimitedModeLosesNoLine) {
    qmtest::TempDir dir;
    qmtest::FakeFileSystem disk;
    disk.refuseRenames = true;
    CQmFileOutput output;
    ASSERT_TRUE(output.SetParams(dir.Write("held.log", "").c_str(), 2, 0, 0));
    CQmFileOutputTestAccess::UseFileSystem(output, &disk);
    ASSERT_TRUE(output.Open());  // refused: appends to the held file for now
    LogFromThreadsAndCount(output, dir.Path(), 2000, 120, [&] {
        disk.refuseRenames = false;
        disk.offsetSeconds = 301;  // the retry happens amid the writes
    });
    EXPECT_EQ(disk.renameAttempts, 2);
}

}  // namespace
