// A file output in a fresh directory on the fake disk, and readers for what
// ends up on disk (compressed backups included).
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "output/compression_worker.h"
#include "output/file_output_disk.h"
#include "qmerrlog/message.h"
#include "qmerrlog/outputs.h"
#include "support/fake_disk.h"
#include "support/temp_dir.h"

namespace qmtest {

// A gzip file unpacked with zlib, or "<bad>" when it is no complete gzip stream.
inline std::string Unpacked(const std::string& path) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) return "<bad>";
    std::string text;
    char block[65536];
    int count;
    while ((count = gzread(file, block, sizeof block)) > 0) text.append(block, static_cast<std::size_t>(count));
    int error = Z_OK;
    gzerror(file, &error);
    gzclose(file);
    return count < 0 || error != Z_OK ? "<bad>" : text;
}

inline bool LogText(CQmLogOutput& output, const std::string& text) {
    CQmErrLogMessage message(false);
    message.AppendText(text.data(), text.size());
    return output.Log(message);
}

}  // namespace qmtest

struct FileOutputFixture : testing::Test {
    using Names = std::set<std::string>;

    // Compression jobs hold the fake disk: none may outlive it.
    ~FileOutputFixture() override { qm::WaitForBackupCompression(); }

    // Opens the output on a file of the directory, first writing content there unless it is null.
    bool Open(const std::string& name, const char* content, int mode, int maxSizeMb, int maxBackups) {
        const std::string path = content != nullptr ? m_dir.Write(name, content) : m_dir.Path(name);
        return OpenAt(path, mode, maxSizeMb, maxBackups);
    }
    // Opens the output on the path exactly as given.
    bool OpenAt(const std::string& path, int mode, int maxSizeMb, int maxBackups) {
        EXPECT_TRUE(m_output.SetParams(path.c_str(), mode, maxSizeMb, maxBackups));
        EXPECT_TRUE(QmFileOutputDisk::Use(m_output, &m_disk));
        return m_output.Open();
    }
    bool Log(const std::string& text) { return qmtest::LogText(m_output, text); }
    // What a file of the directory holds, or "<none>".
    std::string In(const std::string& name) const { return m_dir.Read(name); }
    Names Entries() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    qmtest::TempDir m_dir;
    qmtest::FakeDisk m_disk;
    CQmFileOutput m_output;
};
