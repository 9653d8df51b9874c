#include "format/bounded_format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/error_state.h"

namespace qm {

std::size_t FormatBounded(char* area, const char* format, std::va_list args) {
    area[0] = '\0';
    if (format == nullptr) {
        return 0;
    }
    // "%m" prints the caller's error, so errno goes into the call as the
    // caller left it; a conversion failure shows as errno changing.
    const qm::platform::CallerErrorState callers;
    const int before = errno;
    const int produced = std::vsnprintf(area, kFormatAreaSize, format, args);
    const int after = errno;
    callers.Restore();
    // Some C libraries stop at a character they cannot convert and report
    // what they wrote so far; that is a formatting error all the same.
    const bool stopped = after == EILSEQ && before != EILSEQ;
    if (produced >= 0 && !stopped) {
        return static_cast<std::size_t>(produced) < kFormatAreaSize ? static_cast<std::size_t>(produced)
                                                                    : kFormatAreaSize - 1;
    }
    // A result past INT_MAX bytes is only a longer text: the C library has
    // already written its head, which is what a cut keeps.
    if (after == EOVERFLOW) {
        area[kFormatAreaSize - 1] = '\0';
        return std::strlen(area);
    }
    area[0] = '\0';
    return 0;
}

void AppendBounded(std::string* text, const char* format, std::va_list args) {
    char area[kFormatAreaSize];
    const std::size_t length = FormatBounded(area, format, args);
    text->append(area, length);
}

}  // namespace qm
