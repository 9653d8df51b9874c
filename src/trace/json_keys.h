// The keys of a JSON-lines record, `,"Name":` for each traced field in order,
// written once when a master is configured: names are fixed by then, and every
// record made from the master would otherwise measure and escape them anew.
#pragma once

#include <cstddef>
#include <cstring>

#include "qmerrlog/tracedata.h"

namespace qm {

// A new array (release with delete[]) of one entry for each traced field in
// order, skipping ids the order cannot name, as the assembly does: a length
// byte, then the key with its leading comma. Null when a key would not fit a
// length byte or there is no memory; records then write their names as they go.
char* NewJsonKeys(const unsigned int* order, const QmTraceDataFieldInfo* fields);

// Keys are copied in steps of this many bytes: a fixed-size copy is a plain
// load and store, where a copy of each key's own length would be a library
// call on every member. The array has this much beyond its last key, so a
// step may read past a key; a writer must have as much room past it.
constexpr std::size_t kCopyStep = 16;

// Writes the key at out in copy steps; returns the end of the key.
inline char* CopyJsonKey(char* out, const char* key, std::size_t length) {
    for (std::size_t at = 0; at < length; at += kCopyStep) std::memcpy(out + at, key + at, kCopyStep);
    return out + length;
}

// Walks the keys in step with the traced fields.
class JsonKeyCursor {
public:
    explicit JsonKeyCursor(const char* keys) : m_at(keys) {}
    // The next key and its length, moving on.
    const char* Next(std::size_t* length) {
        *length = static_cast<unsigned char>(*m_at);
        const char* key = m_at + 1;
        m_at = key + *length;
        return key;
    }

private:
    const char* m_at;
};

}  // namespace qm
