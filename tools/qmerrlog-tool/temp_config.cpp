#include "temp_config.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace qm {
namespace tool {

namespace {

constexpr int kNameAttempts = 16;

}  // namespace

TempConfig::TempConfig(const std::string& text) {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::temp_directory_path(error);
    if (error) return;
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path =
            (directory / ("qmerrlog-tool-" + std::to_string(random()) + ".cfg")).string();
        // "x": never overwrite a file that happens to carry the same name.
        std::FILE* file = std::fopen(path.c_str(), "wbx");
        if (file == nullptr) continue;
        const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if (std::fclose(file) == 0 && written) {
            m_path = path;
        } else {
            std::remove(path.c_str());
        }
        return;
    }
}

TempConfig::~TempConfig() {
    if (!m_path.empty()) std::remove(m_path.c_str());
}

}  // namespace tool
}  // namespace qm
