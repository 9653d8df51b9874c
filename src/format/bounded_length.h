// The length of a C text, looked at no further than a bound: texts the library
// cuts anyway need not be read to their end.
#pragma once

#include <cstddef>
#include <string.h>

namespace qm {

inline std::size_t BoundedLength(const char* text, std::size_t limit) {
    return ::strnlen(text, limit);
}

}  // namespace qm
