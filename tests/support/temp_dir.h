// A fresh directory per test, removed afterwards, with its files written and read whole.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "platform/process.h"

namespace qmtest {

class TempDir {
public:
    TempDir() {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("qmerrlog_") + (info ? info->test_suite_name() : "t") + "_" +
                           (info ? info->name() : "t") + "_" + std::to_string(qm::platform::CurrentProcessId());
        std::replace(name.begin(), name.end(), '/', '_');
        m_path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string Path(const std::string& file = "") const { return (m_path / file).string(); }
    std::string Write(const std::string& file, const std::string& text) const {
        std::ofstream(Path(file), std::ios::binary) << text;
        return Path(file);
    }
    // The whole file, or "<none>" when there is no such file.
    std::string Read(const std::string& file) const {
        std::ifstream in(Path(file), std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<none>";
    }

private:
    std::filesystem::path m_path;
};

}  // namespace qmtest
