#include "output/rfc5424_frame.h"

#include <cstring>

#include "format/utf8_text.h"

namespace qm {
namespace {

bool IsPrintable(unsigned char byte) {
    return byte >= 33 && byte <= 126;
}

// A non-negative number in at least `digits` digits; by hand, because every
// frame needs nine of them and printf costs more than the rest of the frame.
void AppendNumber(std::string* out, int value, int digits) {
    char area[16];
    char* end = area + sizeof area;
    char* at = end;
    unsigned int rest = value > 0 ? static_cast<unsigned int>(value) : 0;
    do {
        *--at = static_cast<char>('0' + rest % 10);
        rest /= 10;
        --digits;
    } while ((rest != 0 || digits > 0) && at > area);
    out->append(at, static_cast<std::size_t>(end - at));
}

}  // namespace

void AppendHeaderField(std::string* out, const char* text, std::size_t maxLength) {
    if (text == nullptr || text[0] == '\0') {
        out->push_back('-');
        return;
    }
    std::size_t length = 0;
    bool printable = true;
    for (; length < maxLength && text[length] != '\0'; ++length) {
        printable = printable && IsPrintable(static_cast<unsigned char>(text[length]));
    }
    const std::size_t start = out->size();
    out->append(text, length);
    if (printable) return;
    for (std::size_t i = start; i < out->size(); ++i) {
        if (!IsPrintable(static_cast<unsigned char>((*out)[i]))) (*out)[i] = '_';
    }
}

void AppendPriorityAndVersion(std::string* out, int facility, int severity) {
    out->push_back('<');
    AppendNumber(out, facility * 8 + severity, 1);
    out->append(">1 ", 3);
}

void AppendSdName(std::string* out, const char* name) {
    std::size_t written = 0;
    for (; name != nullptr && written < kSdNameMax && name[written] != '\0'; ++written) {
        const unsigned char byte = static_cast<unsigned char>(name[written]);
        const bool allowed = IsPrintable(byte) && byte != '=' && byte != ']' && byte != '"';
        out->push_back(allowed ? static_cast<char>(byte) : '_');
    }
    if (written == 0) out->push_back('_');
}

void AppendSdParamValue(std::string* out, const char* value, std::size_t length) {
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
        out->append(value + run, at - run);
        if (byte == '"' || byte == '\\' || byte == ']') {
            out->push_back('\\');
            out->push_back(byte);
        } else {
            out->append(kReplacementCharacter, sizeof kReplacementCharacter - 1);
        }
        run = ++at;
    }
    out->append(value + run, at - run);
}

}  // namespace qm
