// A real disk with a hand-set clock and switches that make single operations
// fail the way a busy or broken disk would, and the friend access that puts it
// behind a CQmFileOutput.
#pragma once

#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"

struct CQmFileOutputTestAccess {
    static void UseFileSystem(CQmFileOutput& output, qm::FileSystem* disk) {
        output.m_pFileSystem = disk;
    }
    static bool IsBackedUpFile(CQmFileOutput& output, const char* entry, const char* base) {
        return output.IsBackedUpFile(entry, base);
    }
    static bool IsOpen(const CQmFileOutput& output) { return output.m_iFileDescriptor >= 0; }
};

namespace qmtest {

// The clock reads 2009-03-15 10:00:00 plus offsetSeconds, local and UTC alike;
// with advancePerStamp every backup stamp taken moves it on by one second.
class FakeFileSystem : public qm::FileSystem {
public:
    std::atomic<long long> offsetSeconds{0};
    std::atomic<bool> advancePerStamp{false};
    std::atomic<bool> refuseRenames{false};  // as when another process holds the file
    std::atomic<bool> failRemoves{false};
    std::atomic<bool> failWrites{false};
    std::atomic<int> renameAttempts{0};

    int Open(const char* path, int kind) override { return m_real->Open(path, kind); }
    void Close(int descriptor) override { m_real->Close(descriptor); }
    long long Write(int descriptor, const char* data, unsigned int length) override {
        return failWrites ? -1 : m_real->Write(descriptor, data, length);
    }
    bool FileSize(int descriptor, long long* size) override { return m_real->FileSize(descriptor, size); }
    bool Exists(const char* path) override { return m_real->Exists(path); }
    bool ListDirectory(const char* directory, std::vector<std::string>* names) override {
        return m_real->ListDirectory(directory, names);
    }
    qm::RenameResult RenameNoReplace(const char* from, const char* to) override {
        ++renameAttempts;
        return refuseRenames ? qm::RenameResult::kAccessDenied : m_real->RenameNoReplace(from, to);
    }
    bool Remove(const char* path) override { return !failRemoves && m_real->Remove(path); }
    long long Now() override { return 1237111200 + offsetSeconds; }
    void LocalTime(qm::platform::CalendarTime* out) override {
        const long long s = advancePerStamp ? offsetSeconds++ : offsetSeconds.load();
        *out = qm::platform::CalendarTime{2009, 3, 15, 10 + static_cast<int>(s / 3600),
                                          static_cast<int>(s / 60 % 60), static_cast<int>(s % 60),
                                          0, 0, 0};
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
