// The low-level file operations and the clock the file output needs, behind
// one small interface so that tests can refuse a rename, fail a delete or a
// write, or move the clock without touching the real disk or waiting.
#pragma once

#include <string>
#include <vector>

#include "platform/clock.h"

namespace qm {

// How a rename that must not replace its target ended.
enum class RenameResult {
    kRenamed,
    kAlreadyExists,  // the target name is taken
    kAccessDenied,   // the source is held or the directory refuses the change
    kSourceMissing,  // nothing at the source name (removed or moved away)
    kUnsupported,    // the file system offers no way to refuse an existing target
    kFailed          // anything else
};

// Descriptor open kinds; every kind opens write-only, creates a missing file
// and gives a new file read and write permission for its owner only.
enum FileOpenKind {
    kOpenTruncateAppend = 0,  // a fresh file
    kOpenTruncate = 1,        // empty an existing file, write from the start
    kOpenAppend = 2           // keep an existing file, write at its end
};

// What a path or an open descriptor names.
enum class FileKind {
    kMissing,  // no entry at the path
    kRegular,
    kDirectory,
    kSymlink,       // the path itself is a link (paths are never followed)
    kPipeOrSocket,  // a reader that can go away: writes may meet a broken pipe
    kOther          // devices and anything else
};

struct FileIdentity {
    FileKind kind = FileKind::kOther;
    // Together they tell whether two names or descriptors are the same file;
    // both 0 when the platform cannot say.
    unsigned long long device = 0;
    unsigned long long inode = 0;
    unsigned long long links = 1;  // 0 once the file has no name left
    long long size = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // A descriptor, or -1. Kinds other than FileOpenKind fail. A link at the
    // path is never followed to a file or directory that the process does
    // not already write to (no clobbering through a planted link); a link to
    // a pipe, socket or device, or to the file standard output or error
    // writes to (as /dev/stdout), is opened without creating or truncating
    // anything. A pipe without a reader fails instead of waiting for one.
    virtual int Open(const char* path, int kind) = 0;
    virtual void Close(int descriptor) = 0;
    // One write call: the count written, or -1 on error.
    virtual long long Write(int descriptor, const char* data, unsigned int length) = 0;
    // Size of an open file; false when it cannot be read.
    virtual bool FileSize(int descriptor, long long* size) = 0;
    // False only when the path names no existing file or directory; any
    // other failure of the check counts as existing.
    virtual bool Exists(const char* path) = 0;
    // Names of the entries of a directory (the path may end with the
    // separator); false when the directory cannot be read.
    virtual bool ListDirectory(const char* directory, std::vector<std::string>* names) = 0;
    // Never replaces an existing target.
    virtual RenameResult RenameNoReplace(const char* from, const char* to) = 0;
    virtual bool Remove(const char* path) = 0;
    // Seconds since 1970-01-01 UTC.
    virtual long long Now() = 0;
    virtual void LocalTime(platform::CalendarTime* out) = 0;

    // The operations below have plain defaults so that a test disk needs to
    // provide only what it changes.

    // What an open descriptor is. One status call, so the size-limited modes
    // learn size and link count together.
    virtual bool DescribeOpen(int descriptor, FileIdentity* out) {
        long long size = 0;
        if (!FileSize(descriptor, &size)) return false;
        *out = FileIdentity{};
        out->kind = FileKind::kRegular;
        out->size = size;
        return true;
    }
    // What the path itself names, never following a link; kind kMissing when
    // nothing is there, false when the path cannot be examined.
    virtual bool DescribePath(const char*, FileIdentity*) { return false; }
    // Makes target name the file open on source and closes source, in one
    // step for threads writing through target; false changes nothing.
    virtual bool ReplaceDescriptor(int, int) { return false; }
    // Where no rename can refuse an existing target: renames only when the
    // target name is free. Between the check and the rename another process
    // could still create the target, which the rename then replaces.
    virtual RenameResult RenameIfAbsent(const char* from, const char* to) { return RenameNoReplace(from, to); }
    // Write for a descriptor whose reader can go away: a broken pipe is a
    // failed write, never a signal that ends the process.
    virtual long long WriteToPipe(int descriptor, const char* data, unsigned int length) {
        return Write(descriptor, data, length);
    }

    // Reading back and settling a file, for compressing backups away from
    // the logging threads. A disk without them leaves backups uncompressed.

    // A descriptor open for reading a regular file, or -1. A link at the
    // path is never followed, so a planted link cannot make another file
    // readable under a backup's name.
    virtual int OpenForReading(const char*) { return -1; }
    // One read call: the count read, 0 at the end, or -1 on error.
    virtual long long Read(int, char*, unsigned int) { return -1; }
    // Puts everything written through the descriptor on the disk itself;
    // false when that cannot be confirmed.
    virtual bool Sync(int) { return false; }
    // Puts the entries of a directory (a rename just made in it) on the disk
    // itself, so that a later change cannot reach the disk before them;
    // false when that failed. True where there is nothing to do: a file
    // system that cannot sync a directory, or a platform whose file systems
    // record changes to a directory in order on their own.
    virtual bool SyncDirectory(const char*) { return true; }
};

// The process's real disk and clock; lives until the process ends, so that
// outputs of static loggers can still close their files during exit.
FileSystem* RealFileSystem();

}  // namespace qm
