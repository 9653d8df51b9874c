#include "trace/json_keys.h"

#include <cstring>
#include <new>

#include "format/json_text.h"

namespace qm {
namespace {

constexpr std::size_t kLongestKey = 255;  // what a length byte holds

// Calls take(name, nameLength) for each traced field the assembly writes.
template <typename Take>
void ForEachTracedName(const unsigned int* order, const QmTraceDataFieldInfo* fields, Take take) {
    for (unsigned int position = 0; position < QM_DATA_FIELD_COUNT; ++position) {
        const unsigned int entry = order[position];
        if (entry == 0) break;
        if (entry > QM_DATA_FIELD_COUNT) continue;
        const char* name = fields[entry - 1].name != nullptr ? fields[entry - 1].name : "";
        take(name, std::strlen(name));
    }
}

}  // namespace

char* NewJsonKeys(const unsigned int* order, const QmTraceDataFieldInfo* fields) {
    std::size_t room = 0;
    ForEachTracedName(order, fields, [&room](const char*, std::size_t length) {
        room += 1 + 1 + JsonStringRoom(length) + 1;  // length byte, comma, name, colon
    });
    // Readers copy keys sixteen bytes at a time: the last may read past its end.
    char* keys = new (std::nothrow) char[room + kCopyStep]();
    if (keys == nullptr) return nullptr;
    char* end = keys;
    bool fits = true;
    ForEachTracedName(order, fields, [&end, &fits](const char* name, std::size_t length) {
        char* key = end + 1;
        char* keyEnd = key;
        *keyEnd++ = ',';
        keyEnd = WriteJsonString(keyEnd, name, length);
        *keyEnd++ = ':';
        const std::size_t keyLength = static_cast<std::size_t>(keyEnd - key);
        if (keyLength > kLongestKey) fits = false;
        *end = static_cast<char>(keyLength);
        end = keyEnd;
    });
    if (!fits) {
        delete[] keys;
        return nullptr;
    }
    return keys;
}

}  // namespace qm
