// A trace configuration file of the tool's own, written to the temporary
// directory and removed again when the object goes.
#pragma once

#include <string>

namespace qm {
namespace tool {

class TempConfig {
public:
    // Writes text to a new file; Path() is empty when that failed.
    explicit TempConfig(const std::string& text);
    ~TempConfig();
    TempConfig(const TempConfig&) = delete;
    TempConfig& operator=(const TempConfig&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace tool
}  // namespace qm
