// Which characters separate directories: in the source file names shown in
// log lines and trace records, and in the log file paths the outputs open.
#pragma once

namespace qm {
namespace platform {

// Source file names come from any platform's compiler (mingw-w64 writes '/'
// into __FILE__, MSVC '\\') or from Java callers on any system; a backslash
// in a source name is far more often a Windows path than part of a name.
constexpr bool IsSourceNameSeparator(char c) {
    return c == '/' || c == '\\';
}

// A log file path is a name this system opens: Windows takes either
// separator, while on POSIX '\\' is an ordinary character in file names.
constexpr bool IsLogPathSeparator(char c) {
#if defined(_WIN32)
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

}  // namespace platform
}  // namespace qm
