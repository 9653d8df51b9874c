// The compression worker at the ends of a process's life, in real child
// processes: exit stops it without waiting for the queue and without
// leaving a backup half-done, and a forked child gets a worker of its own
// once the worker is set back to "not started" (the fork handler's job), or
// none at all, never a hang. POSIX only; not under ThreadSanitizer, which
// ends a child that starts a thread after a many-threaded fork.
#if !defined(_WIN32)

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "platform/fork_hook.h"
#include "support/file_output_fixture.h"

// The ThreadSanitizer runtime's entry, present in such a program alone.
extern "C" __attribute__((weak)) void __tsan_init();

namespace {

using CompressionLifetime = FileOutputFixture;

const std::string kBig(3 << 20, 'q');  // tens of deflate blocks: exit meets a file part-way

// Runs body in a child that ends with exit (atexit handlers run); the
// child's exit status, or -1 when it did not end normally.
int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) std::exit(body());
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(CompressionLifetime, ExitStopsTheWorkerAndForkedChildrenNeverHang) {
    if (&__tsan_init != nullptr) GTEST_SKIP() << "a thread started in a forked child";
    // The parent's worker is running when the children are forked.
    m_output.SetCompressBackups(true);
    ASSERT_TRUE(Open("p.log", "parent\n", 4, 0, 0));
    qm::WaitForBackupCompression();
    ASSERT_EQ(In("p_20090315_100000.log"), "<none>");

    // Set back to "not started": the child compresses with its own worker,
    // then exits with big backups queued and one in hand.
    EXPECT_EQ(0, InChild([this] {
                  qm::CompressionWorkerAfterForkInChild();
                  if (!Open("c.log", "child\n", 4, 0, 0)) return 1;
                  qm::WaitForBackupCompression();
                  for (int i = 1; i <= 4; ++i) m_dir.Write("e_20090315_09000" + std::to_string(i) + ".log", kBig);
                  return In("c_20090315_100000.log") == "<none>" && Open("e.log", nullptr, 1, 0, 0) ? 0 : 2;
              }));
    // Every backup is whole under one name or the other, with no partial file.
    for (int i = 1; i <= 4; ++i) {
        const std::string backup = "e_20090315_09000" + std::to_string(i) + ".log";
        const bool plain = In(backup) == kBig;
        const bool compressed = qmtest::Unpacked(m_dir.Path(backup + ".gz")) == kBig;
        EXPECT_TRUE(plain != compressed) << backup;
        EXPECT_EQ(In("." + backup + ".gz.part"), "<none>");
    }

    // Not set back, as in a process that has made no logger yet and so has no
    // fork handler: the child's backups stay plain, and its exit does not
    // wait for the parent's thread. Once a logger exists (an earlier test in
    // the same run), the handler sets the worker back and the child compresses.
    const unsigned int generation = qm::platform::ForkGeneration();
    EXPECT_EQ(0, InChild([this, generation] {
                  m_disk.offsetSeconds = 5;
                  if (!Open("f.log", "forgotten\n", 4, 0, 0)) return 1;
                  const bool setBack = qm::platform::ForkGeneration() != generation;
                  if (setBack) qm::WaitForBackupCompression();
                  return In("f_20090315_100005.log") == (setBack ? "<none>" : "forgotten\n") ? 0 : 2;
              }));
}

}  // namespace

#endif
