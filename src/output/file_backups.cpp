#include "output/file_backups.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "platform/path_separators.h"

namespace qm {
namespace {

// "_YYYYMMDD_HHMMSS"
constexpr std::size_t kStampLength = 16;

constexpr char kCompressedSuffix[] = ".gz";
constexpr std::size_t kCompressedSuffixLength = sizeof kCompressedSuffix - 1;

bool AllDigits(const char* text, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// The number at the start of text, like atoi, bounded so that a long run of
// digits in a foreign file name cannot overflow.
long long LeadingNumber(const char* text) {
    long long value = 0;
    for (; *text >= '0' && *text <= '9' && value < 1000000000LL; ++text) value = value * 10 + (*text - '0');
    return value;
}

bool EndsWithCompressedSuffix(const std::string& name) {
    return name.size() > kCompressedSuffixLength &&
           name.compare(name.size() - kCompressedSuffixLength, kCompressedSuffixLength, kCompressedSuffix) == 0;
}

// name is a backup's entry; its stamp starts after the stem.
Backup DescribeBackup(const LogPathParts& parts, const std::string& name, bool compressed) {
    const std::size_t stemLength = parts.stem.size();
    Backup backup{parts.directory + name, name.substr(stemLength, kStampLength), 0, compressed};
    const std::size_t after = stemLength + kStampLength;
    if (after < name.size() && name[after] == '_') backup.counter = LeadingNumber(name.c_str() + after + 1);
    return backup;
}

bool Older(const Backup& a, const Backup& b) {
    if (a.stamp != b.stamp) return a.stamp < b.stamp;
    if (a.counter != b.counter) return a.counter < b.counter;
    return a.path < b.path;
}

}  // namespace

std::size_t LogFileNameStart(const std::string& path) {
    const auto last = std::find_if(path.rbegin(), path.rend(), platform::IsLogPathSeparator);
    return static_cast<std::size_t>(path.rend() - last);
}

bool SplitLogPath(const std::string& path, LogPathParts* out) {
    // The directory is kept as written, so backups keep the user's separators.
    const std::size_t nameStart = LogFileNameStart(path);
    if (nameStart == 0) return false;
    out->directory = path.substr(0, nameStart);
    out->baseName = path.substr(nameStart);
    const std::size_t dot = out->baseName.rfind('.');
    out->stem = out->baseName.substr(0, dot);
    out->extension = dot == std::string::npos ? std::string() : out->baseName.substr(dot);
    return true;
}

bool IsBackupName(const char* entryName, const char* baseName) {
    if (entryName == nullptr || baseName == nullptr) return false;
    const std::size_t entryLength = std::strlen(entryName);
    const std::size_t baseLength = std::strlen(baseName);
    if (entryLength < baseLength + kStampLength) return false;

    const char* baseExtension = std::strrchr(baseName, '.');
    const std::size_t stemLength =
        baseExtension != nullptr ? static_cast<std::size_t>(baseExtension - baseName) : baseLength;
    if (std::memcmp(entryName, baseName, stemLength) != 0) return false;

    const char* stamp = entryName + stemLength;
    if (stamp[0] != '_' || !AllDigits(stamp + 1, 8) || stamp[9] != '_' || !AllDigits(stamp + 10, 6)) return false;
    // After the stamp: the extension, the end of the name (a file without
    // extension), or an underscore and the counter of a same-second backup.
    const char* rest = stamp + kStampLength;
    if (*rest != '.' && *rest != '\0') {
        if (*rest != '_') return false;
        for (++rest; *rest != '.' && *rest != '\0'; ++rest) {
            if (*rest < '0' || *rest > '9') return false;
        }
    }

    const char* entryExtension = std::strrchr(entryName, '.');
    if (baseExtension == nullptr && entryExtension == nullptr) return true;
    if (baseExtension == nullptr || entryExtension == nullptr) return false;
    return std::strcmp(entryExtension, baseExtension) == 0;
}

bool IsCompressedBackupName(const char* entryName, const char* baseName) {
    // Checked before the plain pattern: for a log named "x.gz" the plain
    // pattern would also take "x_<stamp>.gz.gz" for a plain backup.
    if (entryName == nullptr) return false;
    const std::string name(entryName);
    return EndsWithCompressedSuffix(name) &&
           IsBackupName(name.substr(0, name.size() - kCompressedSuffixLength).c_str(), baseName);
}

std::vector<Backup> BackupsAmong(const std::vector<std::string>& names, const LogPathParts& parts,
                                 bool compressionOn) {
    // Stricter than any "stem*extension" pattern, so every name is checked.
    std::vector<Backup> backups;
    for (const std::string& name : names) {
        if (compressionOn && IsCompressedBackupName(name.c_str(), parts.baseName.c_str())) {
            backups.push_back(DescribeBackup(parts, name, true));
        } else if (IsBackupName(name.c_str(), parts.baseName.c_str())) {
            backups.push_back(DescribeBackup(parts, name, false));
        }
    }
    std::sort(backups.begin(), backups.end(), Older);
    return backups;
}

std::size_t PruneOldest(FileSystem& disk, const std::vector<Backup>& oldestFirst, int limit) {
    const std::size_t kept = static_cast<std::size_t>(limit);
    if (kept == 0 || oldestFirst.size() < kept) return 0;
    const std::size_t pruned = oldestFirst.size() - kept + 1;
    for (std::size_t i = 0; i < pruned; ++i) disk.Remove(oldestFirst[i].path.c_str());
    return pruned;
}

std::string BackupStamp(const platform::CalendarTime& time) {
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d_%02d%02d%02d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    return stamp;
}

std::string StampedName(const LogPathParts& parts, const std::string& stamp) {
    return parts.directory + parts.stem + stamp + parts.extension;
}

std::string CounterName(const LogPathParts& parts, const std::string& stamp, long long counter) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "_%02lld", counter);
    return parts.directory + parts.stem + stamp + suffix + parts.extension;
}

long long NextCounter(const std::vector<Backup>& backups, const std::string& stamp) {
    long long counter = 0;
    for (const Backup& backup : backups) {
        if (backup.stamp == stamp) counter = std::max(counter, backup.counter + 1);
    }
    return counter;
}

}  // namespace qm
