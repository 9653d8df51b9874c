// The tool's commands; each returns the process's exit status.
#pragma once

#include <cstdio>
#include <string>

namespace qm {
namespace tool {

// Exit statuses.
constexpr int kExitAccepted = 0;  // also: a listing was written
constexpr int kExitAcceptedIgnoring = 1;
constexpr int kExitRefused = 2;  // also: bad usage

// Every component and trace component the default logger loaded.
int ListComponents(std::FILE* out);
// The known data fields with their ids and column widths.
int ListFields(std::FILE* out);
// Reads a trace configuration file and reports on it line by line.
int CheckTraceConfig(const std::string& path, std::FILE* out);

}  // namespace tool
}  // namespace qm
