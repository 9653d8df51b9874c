#include "output/rfc5424_frame.h"

#include <cstdint>
#include <cstring>

#include "format/decimal_text.h"
#include "format/utf8_text.h"

namespace qm {
namespace {

constexpr std::size_t kReplacementSize = sizeof kReplacementCharacter - 1;

bool IsPrintable(unsigned char byte) {
    return byte >= 33 && byte <= 126;
}

char* Copy(char* out, const char* bytes, std::size_t count) {
    std::memcpy(out, bytes, count);
    return out + count;
}

// A piece written onto the end of a string sized by the piece's bound, then
// cut back to what it took.
template <typename Write>
void AppendWritten(std::string* out, std::size_t most, Write write) {
    const std::size_t used = out->size();
    out->resize(used + most);
    char* end = write(&(*out)[used]);
    out->resize(static_cast<std::size_t>(end - out->data()));
}

}  // namespace

char* WriteHeaderField(char* out, const char* text, std::size_t maxLength) {
    if (text == nullptr || text[0] == '\0') {
        *out = '-';
        return out + 1;
    }
    for (std::size_t i = 0; i < maxLength && text[i] != '\0'; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        *out++ = IsPrintable(byte) ? static_cast<char>(byte) : '_';
    }
    return out;
}

void AppendHeaderField(std::string* out, const char* text, std::size_t maxLength) {
    AppendWritten(out, maxLength + 1, [&](char* at) { return WriteHeaderField(at, text, maxLength); });
}

char* WritePriorityAndVersion(char* out, int facility, int severity) {
    const int priority = facility * 8 + severity;
    *out++ = '<';
    // Facilities 0-23 and severities 0-7 give at most three digits: those
    // are written without a loop.
    if (priority >= 0 && priority < 1000) {
        const unsigned int value = static_cast<unsigned int>(priority);
        if (value >= 100) *out++ = static_cast<char>('0' + value / 100);
        if (value >= 10) *out++ = static_cast<char>('0' + value / 10 % 10);
        *out++ = static_cast<char>('0' + value % 10);
    } else {
        out += WriteDecimal(priority > 0 ? static_cast<unsigned int>(priority) : 0u, out);
    }
    return Copy(out, ">1 ", 3);
}

void AppendPriorityAndVersion(std::string* out, int facility, int severity) {
    AppendWritten(out, kPriorityAndVersionMax,
                  [&](char* at) { return WritePriorityAndVersion(at, facility, severity); });
}

char* WriteSdName(char* out, const char* name) {
    std::size_t written = 0;
    for (; name != nullptr && written < kSdNameMax && name[written] != '\0'; ++written) {
        const unsigned char byte = static_cast<unsigned char>(name[written]);
        const bool allowed = IsPrintable(byte) && byte != '=' && byte != ']' && byte != '"';
        *out++ = allowed ? static_cast<char>(byte) : '_';
    }
    if (written == 0) *out++ = '_';
    return out;
}

void AppendSdName(std::string* out, const char* name) {
    AppendWritten(out, kSdNameMax, [&](char* at) { return WriteSdName(at, name); });
}

char* WriteSdParamValue(char* out, const char* value, std::size_t length) {
    std::size_t run = 0;
    std::size_t at = 0;
    while (at < length) {
        const char byte = value[at];
        if (byte != '"' && byte != '\\' && byte != ']') {
            const std::size_t sequence = Utf8SequenceLength(value + at, length - at);
            if (sequence != 0) {
                at += sequence;
                continue;
            }
        }
        out = Copy(out, value + run, at - run);
        if (byte == '"' || byte == '\\' || byte == ']') {
            *out++ = '\\';
            *out++ = byte;
        } else {
            out = Copy(out, kReplacementCharacter, kReplacementSize);
        }
        run = ++at;
    }
    return Copy(out, value + run, at - run);
}

void AppendSdParamValue(std::string* out, const char* value, std::size_t length) {
    AppendWritten(out, kMostBytesPerTextByte * length,
                  [&](char* at) { return WriteSdParamValue(at, value, length); });
}

char* WriteRepairedText(char* out, const char* text, std::size_t length) {
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = EndOfWellFormedRun(text, at, length);
        out = Copy(out, text + at, end - at);
        if (end == length) return out;
        out = Copy(out, kReplacementCharacter, kReplacementSize);
        at = end + 1;
    }
}

std::size_t RepairedTextSize(const char* text, std::size_t length) {
    std::size_t size = 0;
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = EndOfWellFormedRun(text, at, length);
        size += end - at;
        if (end == length) return size;
        size += kReplacementSize;
        at = end + 1;
    }
}

}  // namespace qm
