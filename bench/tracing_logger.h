// A named logger tracing in the bracketed layout to a callback that drops
// every line, under a configuration the benchmark writes: what is measured
// is the logger's own work, none of an output's.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "qmerrlog/qmerrlog.h"

inline void DiscardTraceLine(const char*, int) {}

inline CQmLogger* LoggerTracingToNowhere(const char* name, const char* configuration) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / (std::string("qmerrlog_") + name + ".cfg");
    std::ofstream(path) << configuration;
    CQmLogger* made = getMyLogger(name);
    made->EnableTrace(made->NewLogOutput(QM_OUTPUT_SYNC_CALLBACK, &DiscardTraceLine), 0, nullptr,
                      path.string().c_str(), false, false, false);
    return made;
}
