// A file output's backups: how they are named, how they are told apart from
// other files of the directory, and which of them are the oldest. A backup
// of "dir/stem.ext" is "dir/stem_YYYYMMDD_HHMMSS.ext", with "_NN" after the
// stamp for the second and later backups of one second, and ".gz" after it
// all once compressed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace qm {

class FileSystem;

// Backup names add a 16-byte stamp and up to four bytes of counter, and each
// name built must fit in 255 bytes.
constexpr std::size_t kMaxRolloverPathBytes = 235;

// The log path cut into the parts backup names are made of.
struct LogPathParts {
    std::string directory;  // the separator kept
    std::string baseName;
    std::string stem;       // the base name up to its last dot
    std::string extension;  // from the last dot on; empty without one
};

// False when the path has no directory separator: backups go beside the
// file, so a path without a directory cannot be rolled over.
bool SplitLogPath(const std::string& path, LogPathParts* out);
// Where the file name of path starts: just after its last separator of
// either kind the platform takes; 0 when it has none.
std::size_t LogFileNameStart(const std::string& path);

// "stem_YYYYMMDD_HHMMSS[_digits]ext" for the file named baseName.
bool IsBackupName(const char* entryName, const char* baseName);
// A backup name followed by ".gz".
bool IsCompressedBackupName(const char* entryName, const char* baseName);

// A backup's place in time: its stamp, then its counter as a number (a
// plain stamp counts 0), so that _100 comes after _99 and not before _11.
struct Backup {
    std::string path;
    std::string stamp;
    long long counter;
    bool compressed;
};

// The backups among a directory's entry names, oldest first. With
// compression on, "<backup>.gz" is a backup too, of the same age; off, .gz
// files (a compressor of the user's own) are left alone.
std::vector<Backup> BackupsAmong(const std::vector<std::string>& names, const LogPathParts& parts,
                                 bool compressionOn);

// Deletes the oldest backups so that, with the one about to be made, at
// most limit remain (0: no limit); returns how many from the front it tried.
// One that cannot be deleted is skipped: the rollover goes on, and the next
// one tries again.
std::size_t PruneOldest(FileSystem& disk, const std::vector<Backup>& oldestFirst, int limit);

// "_YYYYMMDD_HHMMSS" of the local time of a rollover.
std::string BackupStamp(const platform::CalendarTime& time);
// "dir/stem<stamp>.ext": the first backup of a second.
std::string StampedName(const LogPathParts& parts, const std::string& stamp);
// "dir/stem<stamp>_NN.ext": a later backup of the same second.
std::string CounterName(const LogPathParts& parts, const std::string& stamp, long long counter);

// The counter the next backup of this second starts from: one past the
// highest of that second, as numbers; 0 (the plain stamped name) only while
// the second has no backup, since pruning may have freed the plain name and
// it would sort as the oldest.
long long NextCounter(const std::vector<Backup>& backups, const std::string& stamp);

}  // namespace qm
