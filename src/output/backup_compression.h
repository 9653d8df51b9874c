// Compressing one backup of a file output to "<backup>.gz" (gzip) without
// ever putting its lines at risk: the compressed file is written under a
// hidden partial name, settled on disk, then given its name, the name is
// settled too, and only then does the plain backup go.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace qm {

class FileSystem;

// "<directory>/<name>.gz": the finished compressed backup.
std::string CompressedBackupPath(const std::string& backupPath);
// "<directory>/.<name>.gz.part": where it is written until complete. The
// leading dot keeps it out of the backup pattern of any base name, so that
// pruning never counts a partial file as a backup.
std::string PartialBackupPath(const std::string& backupPath);
// The backup name a partial file name was made from, or empty when the name
// is no partial file.
std::string BackupNameOfPartial(const std::string& entryName);

// Compresses the plain backup at backupPath; true once "<backup>.gz" is in
// place and the plain backup is removed (or was removed by someone else
// meanwhile). Any failure (unreadable backup, full disk, failed sync or
// rename) removes the partial file and leaves the plain backup as it was;
// when only the directory cannot be synced, both names stay.
// stop is read between blocks: once set, the work is abandoned the same way,
// as it is once the plain backup has been deleted meanwhile.
bool CompressBackup(FileSystem* disk, const std::string& backupPath, const std::atomic<bool>& stop);

// CompressBackup in two steps, so that one directory sync can serve several
// backups. The first writes and syncs the hidden partial file, true once it
// is complete (on failure it is removed). The second, for partial files
// written in one directory, gives each whose plain backup is still there
// its .gz name (removing the others), syncs the directory, and only then
// removes those plain backups; true when at least one was settled so. The
// partial files stay hidden from pruning until then, so a backup is never
// counted twice for longer than one directory sync.
bool WritePartialBackup(FileSystem* disk, const std::string& backupPath, const std::atomic<bool>& stop);
bool SettleCompressedBackups(FileSystem* disk, const std::string& directory,
                             const std::vector<std::string>& backupPaths);
// The directory of a backup path, as SettleCompressedBackups takes it.
std::string BackupDirectory(const std::string& backupPath);

}  // namespace qm
