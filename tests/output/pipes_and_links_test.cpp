// Outputs against the real POSIX system: readers that go away (pipes,
// sockets, FIFOs), records longer than a pipe takes at once, links and
// removed or moved files at the log path, and a really full file system.
// Windows has no SIGPIPE and no FIFOs at a path, and links need privileges
// there, so these run on POSIX systems only.
#if !defined(_WIN32)

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "support/file_output_fixture.h"

namespace fs = std::filesystem;

namespace {

using PipesAndLinks = FileOutputFixture;

std::atomic<int> g_pipeSignals{0};
void CountPipeSignal(int) { ++g_pipeSignals; }

// What a write to a reader that has gone did to the process, for each way a
// program may treat SIGPIPE: the default action (which would end the
// process), a handler (which must not run), and SIGPIPE blocked with one of
// the program's own pending (which must stay pending and blocked). Nothing
// here prints: standard output may be the broken pipe itself.
std::string WriteToGoneReader(const std::function<bool()>& logOnce) {
    std::ostringstream outcome;
    struct sigaction action = {}, previous = {};
    action.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &action, &previous);
    outcome << "default:" << logOnce();
    action.sa_handler = CountPipeSignal;
    sigaction(SIGPIPE, &action, nullptr);
    g_pipeSignals = 0;
    outcome << " handler:" << logOnce() << " calls:" << g_pipeSignals;

    sigset_t pipeOnly, pending, masked;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, nullptr);
    raise(SIGPIPE);
    outcome << " blocked:" << logOnce();
    sigpending(&pending);
    pthread_sigmask(SIG_SETMASK, nullptr, &masked);
    outcome << " pending:" << sigismember(&pending, SIGPIPE) << " masked:" << sigismember(&masked, SIGPIPE);
    const timespec noWait = {0, 0};
    sigtimedwait(&pipeOnly, nullptr, &noWait);  // SIGPIPE does not queue: one take clears it
    pthread_sigmask(SIG_UNBLOCK, &pipeOnly, nullptr);
    sigaction(SIGPIPE, &previous, nullptr);
    return outcome.str();
}

constexpr char kOnlyAFailedWrite[] = "default:0 handler:0 calls:0 blocked:0 pending:1 masked:1";

// Standard output replaced by fd (which it takes over) while the object lives.
struct RedirectedStdout {
    explicit RedirectedStdout(int fd) : saved((std::fflush(stdout), dup(STDOUT_FILENO))) {
        dup2(fd, STDOUT_FILENO);
        close(fd);
    }
    ~RedirectedStdout() {
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    const int saved;
};

// Records longer than a pipe takes at once (4,096 bytes), from several
// threads, arrive whole and one after the other; once the reader has gone,
// Log is false, the process lives and the program's SIGPIPE handling is
// untouched. On the console (standard output a pipe or a socket) and on a
// file output whose path is a FIFO: no reader at Open is a refusal there, not
// a wait, and the FIFO is never renamed as a backup, even at a limit of 0.
TEST_F(PipesAndLinks, PipeReadersGetWholeRecordsAndTheirGoingOnlyFailsTheWrite) {
    constexpr int kThreads = 4, kRecords = 60, kLength = 5000;
    const auto record = [](int t, int n) {
        std::string text = std::to_string(t) + ":" + std::to_string(n) + ":";
        return text + std::string(kLength - text.size() - 1, char('a' + t)) + "\n";
    };
    std::multiset<std::string> expected{"end\n"};
    for (int t = 0; t < kThreads; ++t)
        for (int n = 0; n < kRecords; ++n) expected.insert(record(t, n));
    const std::string fifo = m_dir.Path("a.log");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(Open("a.log", nullptr, 4, 0, 0));
    for (const char* kind : {"pipe", "socket", "fifo"}) {
        SCOPED_TRACE(kind);
        int ends[2];
        ASSERT_EQ(kind[0] == 's' ? socketpair(AF_UNIX, SOCK_STREAM, 0, ends) : pipe(ends), 0);
        RedirectedStdout out(ends[1]);
        CQmConsoleOutput console;
        const bool onConsole = kind[0] != 'f';
        const int reader = onConsole ? ends[0] : open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        if (!onConsole) close(ends[0]);
        fcntl(reader, F_SETFL, 0);
        CQmLogOutput& output = onConsole ? static_cast<CQmLogOutput&>(console) : m_output;
        ASSERT_TRUE(onConsole ? console.Open() : Open("a.log", nullptr, 4, 0, 0));
        std::string received;  // up to the record logged after all others
        std::thread readerThread([&received, reader] {
            char buffer[8192];
            for (ssize_t n; received.size() < 4 || received.compare(received.size() - 4, 4, "end\n") != 0;) {
                if ((n = read(reader, buffer, sizeof buffer)) <= 0) break;
                received.append(buffer, static_cast<std::size_t>(n));
            }
            close(reader);
        });
        std::atomic<int> refused{0};
        std::vector<std::thread> writers;
        for (int t = 0; t < kThreads; ++t)
            writers.emplace_back([&, t] {
                for (int n = 0; n < kRecords; ++n) refused += !qmtest::LogText(output, record(t, n));
            });
        for (std::thread& writer : writers) writer.join();
        EXPECT_TRUE(qmtest::LogText(output, "end\n"));
        readerThread.join();
        EXPECT_EQ(WriteToGoneReader([&] { return qmtest::LogText(output, "lost\n"); }), kOnlyAFailedWrite);
        output.Close();
        EXPECT_EQ(refused.load(), 0);
        std::multiset<std::string> got;
        std::istringstream lines(received);
        for (std::string line; std::getline(lines, line);) got.insert(line + "\n");
        EXPECT_TRUE(got == expected) << got.size() << " records of " << expected.size();
    }
    EXPECT_EQ(Entries(), (Names{"a.log"}));
}

// A link at the log path is never followed to a file: nothing is emptied,
// created elsewhere or renamed. A link to a device (/dev/null) is written
// through and never rolled over, and so is /dev/stdout while standard output
// goes to a file, which is appended to; the same link to any other file stays
// refused.
TEST_F(PipesAndLinks, LinksAtTheLogPathAreNeverFollowedToAFile) {
    const std::string target = m_dir.Write("target", "secret\n"), captured = m_dir.Write("captured", "earlier\n");
    fs::create_directory(m_dir.Path("sub"));
    fs::create_symlink(target, m_dir.Path("a.log"));
    fs::create_symlink(m_dir.Path("sub/created"), m_dir.Path("dangling.log"));
    fs::create_symlink("/dev/null", m_dir.Path("null.log"));
    fs::create_symlink("/dev/stdout", m_dir.Path("stdout.log"));
    std::string results;  // per mode: link to a file, dangling link, /dev/null, /dev/stdout
    {
        RedirectedStdout out(open(captured.c_str(), O_WRONLY | O_APPEND));
        for (int mode = 0; mode <= 4; ++mode) {
            results += std::to_string(Open("a.log", nullptr, mode, 0, 0) || Log("forged\n"));
            results += std::to_string(Open("dangling.log", nullptr, mode, 0, 0));
            results += std::to_string(Open("null.log", nullptr, mode, 0, 0) && Log("discarded\n"));
            const bool toStdout = Open("stdout.log", nullptr, mode, 0, 0) && Log(std::to_string(mode) + "\n");
            results += std::to_string(toStdout) + " ";
        }
        m_output.Close();
    }
    EXPECT_EQ(results, "0011 0011 0011 0011 0011 ");
    EXPECT_EQ(In("target") + In("captured"), "secret\nearlier\n0\n1\n2\n3\n4\n");
    EXPECT_EQ(Entries(), (Names{"a.log", "captured", "dangling.log", "null.log", "stdout.log", "sub", "target"}));
    for (const char* link : {"a.log", "dangling.log", "null.log", "stdout.log"})
        EXPECT_TRUE(fs::is_symlink(m_dir.Path(link))) << link;
    EXPECT_TRUE(fs::is_empty(m_dir.Path("sub")));
    fs::create_symlink(captured, m_dir.Path("direct.log"));
    EXPECT_FALSE(Open("direct.log", nullptr, 1, 0, 0));  // standard output is elsewhere again
}

// The live file removed (rm): in the size-limited modes, which look at the
// open file for every line, the very next line goes to a new file at the
// path; in every mode, within a second. Moved away and replaced (a rotation
// tool): the new file is joined within a second.
TEST_F(PipesAndLinks, RemovedOrMovedLiveFileIsReplacedAtThePath) {
    for (int mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        const std::string name = "m" + std::to_string(mode) + ".log";
        ASSERT_TRUE(Open(name, nullptr, mode, 1, 0));
        EXPECT_TRUE(Log("before\n"));
        fs::remove(m_dir.Path(name));
        EXPECT_TRUE(Log("same second\n"));
        ++m_disk.offsetSeconds;
        EXPECT_TRUE(Log("next second\n"));
        const std::string replaced = mode >= 3 ? "same second\nnext second\n" : "next second\n";
        EXPECT_EQ(In(name), replaced);

        fs::rename(m_dir.Path(name), m_dir.Path(name + ".1"));
        m_dir.Write(name, "");
        EXPECT_TRUE(Log("moved\n"));
        ++m_disk.offsetSeconds;
        EXPECT_TRUE(Log("joined\n"));
        EXPECT_EQ(In(name + ".1") + In(name), replaced + "moved\njoined\n");
    }
}

// A real full file system: a 64 KB tmpfs mounted in a private mount
// namespace, in which this test runs its own program again. The lines
// accepted are whole, at most one cut line follows (ended), then the line
// written once there is room again.
TEST(FullDisk, LineCutShortOnARealFullFileSystem) {
    if (const char* directory = std::getenv("QMTEST_FULL_DISK")) {
        const fs::path root(directory);
        std::ofstream(root / "ballast", std::ios::binary) << std::string(16384, 'b');
        CQmFileOutput output;
        ASSERT_TRUE(output.SetParams((root / "a.log").c_str(), 1, 0, 0) && output.Open());
        const std::string line = std::string(1499, 'x') + "\n";
        int accepted = 0;
        while (accepted < 100 && qmtest::LogText(output, line)) ++accepted;
        ASSERT_LT(accepted, 100);
        EXPECT_FALSE(qmtest::LogText(output, line));
        fs::remove(root / "ballast");
        EXPECT_TRUE(qmtest::LogText(output, "after\n"));
        output.Close();
        std::ifstream in(root / "a.log", std::ios::binary);
        const std::string text(std::istreambuf_iterator<char>(in), {});
        std::string whole;
        for (int i = 0; i < accepted; ++i) whole += line;
        ASSERT_EQ(text.compare(0, whole.size(), whole), 0);
        EXPECT_TRUE(std::regex_match(text.substr(whole.size()), std::regex("(x+\n)?after\n")));
        if (!HasFailure()) std::ofstream(root / ".." / "done") << "ran";
        return;
    }
    if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a small tmpfs in a private mount namespace";
    if (std::system("unshare -m true >/dev/null 2>&1") != 0) GTEST_SKIP() << "unshare -m is not available here";
    qmtest::TempDir dir;
    fs::create_directory(dir.Path("mount"));
    const std::string command = "unshare -m sh -c 'mount -t tmpfs -o size=64k none " + dir.Path("mount") +
                                " && QMTEST_FULL_DISK=" + dir.Path("mount") + " exec " +
                                fs::read_symlink("/proc/self/exe").string() +
                                " --gtest_filter=FullDisk.*' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(fs::exists(dir.Path("done")));  // it ran inside, and passed
}

}  // namespace

#endif
