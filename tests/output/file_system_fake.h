// A real disk with a hand-set clock and switches that make single operations
// fail the way a busy or broken disk would, plus the friend access that puts
// it behind a CQmFileOutput.
#pragma once

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

struct CQmFileOutputTestAccess {
    static void UseFileSystem(CQmFileOutput& output, qm::FileSystem* fileSystem) {
        output.m_pFileSystem = fileSystem;
    }
    static bool IsBackedUpFile(CQmFileOutput& output, const char* entry, const char* base) {
        return output.IsBackedUpFile(entry, base);
    }
    static bool IsOpen(const CQmFileOutput& output) { return output.m_iFileDescriptor >= 0; }
    static bool RetryPending(const CQmFileOutput& output) {
        return output.m_bRolloverRetryPending;
    }
    static unsigned int MaxFileSize(const CQmFileOutput& output) { return output.m_uMaxFileSize; }
};

namespace qmtest {

// The clock starts at 2009-03-15 10:00:00 local and moves only when told to
// (or, with advancePerStamp, by one second per backup stamp taken).
class FakeFileSystem : public qm::FileSystem {
public:
    static constexpr long long kStartEpoch = 1237111200;  // 2009-03-15 10:00:00 UTC

    std::atomic<long long> offsetSeconds{0};
    std::atomic<bool> advancePerStamp{false};
    std::atomic<bool> refuseRenames{false};
    std::atomic<bool> failRemoves{false};
    std::atomic<bool> failWrites{false};
    std::atomic<int> renameAttempts{0};

    int Open(const char* path, int kind) override { return m_real->Open(path, kind); }
    void Close(int descriptor) override { m_real->Close(descriptor); }
    long long Write(int descriptor, const char* data, unsigned int length) override {
        if (failWrites) return -1;
        return m_real->Write(descriptor, data, length);
    }
    bool FileSize(int descriptor, long long* size) override {
        return m_real->FileSize(descriptor, size);
    }
    bool Exists(const char* path) override { return m_real->Exists(path); }
    bool ListDirectory(const char* directory, std::vector<std::string>* names) override {
        return m_real->ListDirectory(directory, names);
    }
    qm::RenameResult RenameNoReplace(const char* from, const char* to) override {
        ++renameAttempts;
        if (refuseRenames) return qm::RenameResult::kAccessDenied;
        return m_real->RenameNoReplace(from, to);
    }
    bool Remove(const char* path) override { return !failRemoves && m_real->Remove(path); }
    long long Now() override { return kStartEpoch + offsetSeconds; }
    void LocalTime(qm::platform::CalendarTime* out) override {
        const long long s = advancePerStamp ? offsetSeconds++ : offsetSeconds.load();
        *out = qm::platform::CalendarTime{};
        out->year = 2009;
        out->month = 3;
        out->day = 15 + static_cast<int>(s / 86400);
        out->hour = 10 + static_cast<int>(s / 3600 % 24);
        out->minute = static_cast<int>(s / 60 % 60);
        out->second = static_cast<int>(s % 60);
    }

private:
    qm::FileSystem* m_real = qm::RealFileSystem();
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool LogText(CQmLogOutput& output, const std::string& text) {
    CQmErrLogMessage message(false);
    message.AppendText(text.data(), text.size());
    return output.Log(message);
}

}  // namespace qmtest
