#include "jni/string_format_check.h"

namespace qm {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a run of decimal digits; stops counting past any useful size.
int ReadNumber(const char*& p) {
    int value = 0;
    while (IsDigit(*p)) {
        if (value < 10000) {
            value = value * 10 + (*p - '0');
        }
        ++p;
    }
    return value;
}

}  // namespace

bool IsStringArgumentFormat(const char* format, int arguments) {
    if (format == nullptr) {
        return true;
    }
    int sequential = 0;
    bool anyPositional = false;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            continue;
        }
        ++p;
        if (*p == '%') {
            continue;
        }
        // "%N$" names argument N; digits without "$" are a width.
        const char* digits = p;
        int number = ReadNumber(p);
        bool positional = false;
        if (p != digits && *p == '$') {
            if (number < 1 || number > arguments) {
                return false;
            }
            positional = true;
            ++p;
        } else {
            p = digits;
        }
        if (positional ? sequential > 0 : anyPositional) {
            return false;
        }
        anyPositional = anyPositional || positional;
        while (*p == '-') {
            ++p;
        }
        ReadNumber(p);
        if (*p == '.') {
            ++p;
            ReadNumber(p);
        }
        if (*p != 's') {
            return false;  // another conversion, a length modifier, '*', or the end
        }
        if (!positional && ++sequential > arguments) {
            return false;
        }
    }
    return true;
}

}  // namespace qm
