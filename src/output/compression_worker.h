// The process's one background thread for compressing file output backups,
// so that a rollover never waits for compression. Started on first need,
// fed through a bounded queue, stopped at exit.
#pragma once

#include <string>

namespace qm {

class FileSystem;

// Most backups waiting at once; past that a backup stays uncompressed until
// its output next opens or rolls over.
constexpr unsigned int kCompressionQueueCapacity = 64;

// Hands a plain backup to the worker, starting it if need be; never waits
// for compression. False (the backup stays as it is) when the queue is
// full, the worker is stopping or cannot be started. A backup already
// waiting or being compressed is not queued twice. disk must outlive the
// job; the real disk lives as long as the process.
bool QueueBackupCompression(FileSystem* disk, const std::string& backupPath);

// Blocks until nothing is waiting or being compressed (tests, benchmarks).
void WaitForBackupCompression();

// Fork: the child has no worker thread. Prepare (before fork) takes the
// worker's lock so that no other thread holds it across the fork; Parent
// releases it; the child sets the worker back to "not started" with an
// empty queue, so its first rollover starts a worker of its own. The child
// side is safe to call even when Prepare was not.
void CompressionWorkerPrepareFork();
void CompressionWorkerAfterForkInParent();
void CompressionWorkerAfterForkInChild();

}  // namespace qm
