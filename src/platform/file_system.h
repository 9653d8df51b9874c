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
    kFailed          // anything else
};

// Descriptor open kinds; every kind opens write-only, creates a missing file
// and gives a new file read and write permission for its owner only.
enum FileOpenKind {
    kOpenTruncateAppend = 0,  // a fresh file
    kOpenTruncate = 1,        // empty an existing file, write from the start
    kOpenAppend = 2           // keep an existing file, write at its end
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // A descriptor, or -1. Kinds other than FileOpenKind fail.
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
};

// The process's real disk and clock; lives until the process ends, so that
// outputs of static loggers can still close their files during exit.
FileSystem* RealFileSystem();

}  // namespace qm
