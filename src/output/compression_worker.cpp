// One worker thread per process. Its state lives in static storage and is
// never destroyed, so that a file output rolling over during exit (after any
// destructor could have run) still finds a valid, merely stopped, worker.
#include "output/compression_worker.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "output/backup_compression.h"
#include "platform/background_thread.h"
#include "platform/no_destructor.h"
#include "platform/process.h"

namespace qm {
namespace {

// The worker holds its lock only for queue bookkeeping, never while
// compressing: a few thousand yields are far more than it can need.
constexpr int kStopLockAttempts = 10000;

// Backups compressed in one directory share one directory sync before
// their plain files are removed: on a journalling file system each sync is
// a journal commit, far dearer than compressing a small backup. The batch
// is settled as soon as the queue runs dry; until then its compressed files
// wait, complete, under their hidden names.
constexpr std::size_t kBackupsPerDirectorySync = 16;

struct Job {
    FileSystem* disk;
    std::string backupPath;
};

// Backups of one directory whose compressed files wait, complete, for
// their names and the directory's sync. Changed only under the worker's
// lock, like the queue, so that a forked child finds it whole.
struct SettlingBatch {
    FileSystem* disk = nullptr;
    std::string directory;
    std::vector<std::string> backups;
};

class CompressionWorker {
public:
    CompressionWorker() = default;
    CompressionWorker(const CompressionWorker&) = delete;
    CompressionWorker& operator=(const CompressionWorker&) = delete;

    bool Queue(FileSystem* disk, const std::string& backupPath) {
        // A forked child that was not set back to "not started" has a
        // worker on paper only: its backups stay plain rather than wait for
        // a thread that is not there.
        if (InForkedChild()) return false;
        try {
            std::lock_guard<std::mutex> hold(m_lock);
            if (m_stopping || m_stop.load(std::memory_order_relaxed) ||
                m_queue.size() >= kCompressionQueueCapacity) {
                return false;
            }
            if (IsKnown(disk, backupPath)) return true;
            if (!m_started && !Start()) return false;
            m_queue.push_back(Job{disk, backupPath});
        } catch (...) {
            // No memory for the job, no thread: the backup stays plain.
            return false;
        }
        m_wake.notify_one();
        return true;
    }

    void WaitIdle() {
        std::unique_lock<std::mutex> hold(m_lock);
        m_idle.wait(hold, [this] { return m_queue.empty() && !m_busy; });
    }

    // At exit: the file being compressed is abandoned at its next block (its
    // plain backup stays), queued ones stay plain, and the thread is joined.
    void Stop() {
        // A child never joins its parent's thread, nor takes a lock that a
        // parent's thread may have held across the fork.
        if (InForkedChild()) return;
        m_stop.store(true, std::memory_order_release);
        // Bounded: on Windows a library's exit handlers run after the
        // process's other threads were ended, possibly the worker holding
        // the lock; then there is nothing left to stop or join either.
        std::unique_lock<std::mutex> hold(m_lock, std::defer_lock);
        for (int attempt = 0; attempt < kStopLockAttempts && !hold.try_lock(); ++attempt) {
            std::this_thread::yield();
        }
        if (!hold.owns_lock()) return;
        m_stopping = true;
        hold.unlock();
        m_wake.notify_all();
        if (m_thread.joinable()) m_thread.join();
    }

    void PrepareFork() { m_lock.lock(); }
    void AfterForkInParent() { m_lock.unlock(); }

    void AfterForkInChild() {
        // Only the forking thread exists here: the lock and condition
        // variables may be in any state the parent's threads left them in,
        // and the thread handle names a thread this process does not have,
        // so each is made anew over the old one, which is never destroyed.
        new (&m_lock) std::mutex();
        new (&m_wake) std::condition_variable();
        new (&m_idle) std::condition_variable();
        new (&m_thread) std::thread();
        m_queue.clear();
        m_current.clear();
        m_batch.backups.clear();
        m_batch.directory.clear();
        m_batch.disk = nullptr;
        m_currentDisk = nullptr;
        m_busy = false;
        m_started = false;
        m_stopping = false;
        m_stop.store(false, std::memory_order_relaxed);
        m_startedBy.store(0, std::memory_order_relaxed);
    }

private:
    bool InForkedChild() const {
        const int startedBy = m_startedBy.load(std::memory_order_acquire);
        return startedBy != 0 && startedBy != platform::CurrentProcessId();
    }

    // Under m_lock.
    bool IsKnown(FileSystem* disk, const std::string& backupPath) const {
        if (m_busy && m_currentDisk == disk && m_current == backupPath) return true;
        for (const Job& job : m_queue) {
            if (job.disk == disk && job.backupPath == backupPath) return true;
        }
        return false;
    }

    // Under m_lock.
    bool Start() {
        m_thread = std::thread([this] { Run(); });
        m_started = true;
        m_startedBy.store(platform::CurrentProcessId(), std::memory_order_release);
        static bool stopRegistered = false;
        if (!stopRegistered) {
            stopRegistered = true;
            std::atexit(StopAtExit);
        }
        return true;
    }

    void Run() {
        // Compression is housekeeping: on a busy machine the logging
        // threads come first, and backups wait (plain) a little longer.
        platform::LowerCurrentThreadPriority();
        std::unique_lock<std::mutex> hold(m_lock);
        for (;;) {
            m_wake.wait(hold, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping) break;
            Job job = std::move(m_queue.front());
            m_queue.pop_front();
            m_busy = true;
            m_current = job.backupPath;
            m_currentDisk = job.disk;
            hold.unlock();
            bool written = false;
            try {
                written = WritePartialBackup(job.disk, job.backupPath, m_stop);
            } catch (...) {
                // Out of memory for a name: this backup stays plain.
            }
            hold.lock();
            if (written) AddToBatch(hold, job);
            // Still busy meanwhile: waiting for idle means settled too.
            if (m_queue.empty() || m_batch.backups.size() >= kBackupsPerDirectorySync) {
                SettleOutsideLock(hold, TakeBatch());
            }
            m_busy = false;
            m_current.clear();
            m_currentDisk = nullptr;
            if (m_queue.empty()) m_idle.notify_all();
        }
        SettleOutsideLock(hold, TakeBatch());
        m_queue.clear();
        m_idle.notify_all();
    }

    // Under m_lock. A backup of another directory (or disk) than the batch
    // first settles the batch.
    void AddToBatch(std::unique_lock<std::mutex>& hold, const Job& job) {
        try {
            std::string directory = BackupDirectory(job.backupPath);
            if (job.disk != m_batch.disk || directory != m_batch.directory) {
                SettleOutsideLock(hold, TakeBatch());
                m_batch.disk = job.disk;
                m_batch.directory = std::move(directory);
            }
            m_batch.backups.push_back(job.backupPath);
        } catch (...) {
            // Out of memory: this backup stays plain; its partial file is
            // written afresh by the next attempt.
        }
    }

    // Under m_lock: the batch, leaving an empty one in its place.
    SettlingBatch TakeBatch() {
        SettlingBatch taken;
        std::swap(taken, m_batch);
        return taken;
    }

    // Renames, syncs and removes without the lock, which it takes back.
    static void SettleOutsideLock(std::unique_lock<std::mutex>& hold, const SettlingBatch& batch) {
        if (batch.disk == nullptr || batch.backups.empty()) return;
        hold.unlock();
        try {
            SettleCompressedBackups(batch.disk, batch.directory, batch.backups);
        } catch (...) {
            // Out of memory for a name: those backups stay plain.
        }
        hold.lock();
    }

    static void StopAtExit();

    std::mutex m_lock;
    std::condition_variable m_wake;  // a job or a stop request
    std::condition_variable m_idle;  // nothing waiting, nothing in hand
    std::deque<Job> m_queue;
    std::string m_current;  // the backup in hand while m_busy
    SettlingBatch m_batch;
    FileSystem* m_currentDisk = nullptr;
    bool m_busy = false;
    bool m_started = false;
    bool m_stopping = false;
    std::atomic<bool> m_stop{false};  // read by the compression between blocks
    std::atomic<int> m_startedBy{0};  // the process that started the thread
    // Never destroyed with the worker, so a handle still joinable at exit (or
    // a forked child's copy of the parent's) never ends the process.
    std::thread m_thread;
};

CompressionWorker& Worker() {
    static NoDestructor<CompressionWorker> worker;
    return *worker;
}

void CompressionWorker::StopAtExit() {
    Worker().Stop();
}

}  // namespace

bool QueueBackupCompression(FileSystem* disk, const std::string& backupPath) {
    if (disk == nullptr || backupPath.empty()) return false;
    return Worker().Queue(disk, backupPath);
}

void WaitForBackupCompression() {
    Worker().WaitIdle();
}

void CompressionWorkerPrepareFork() {
    Worker().PrepareFork();
}

void CompressionWorkerAfterForkInParent() {
    Worker().AfterForkInParent();
}

void CompressionWorkerAfterForkInChild() {
    Worker().AfterForkInChild();
}

}  // namespace qm
