#include "format/json_member.h"

#include <cstring>

#include "qmerrlog/message.h"

namespace qm {

bool ShowsBareInJson(const char* value, int valueKind) {
    switch (valueKind) {
        case QM_VALUE_NUMBER: return IsJsonNumber(value);
        case QM_VALUE_BOOLEAN: return std::strcmp(value, "true") == 0 || std::strcmp(value, "false") == 0;
        default: return false;
    }
}

char* WriteJsonMember(char* out, bool first, const char* name, std::size_t nameLength, const char* value,
                      std::size_t valueLength, int valueKind) {
    if (!first) *out++ = ',';
    out = WriteJsonString(out, name, nameLength);
    *out++ = ':';
    if (valueKind == QM_VALUE_UNSET) {
        std::memcpy(out, "null", 4);
        return out + 4;
    }
    if (ShowsBareInJson(value, valueKind)) {
        std::memcpy(out, value, valueLength);
        return out + valueLength;
    }
    return WriteJsonString(out, value, valueLength);
}

void AppendJsonMember(CQmErrLogMessage* out, bool first, const char* name, std::size_t nameLength,
                      const char* value, std::size_t valueLength, int valueKind) {
    // Ordinary members are written whole on the stack and appended at once.
    char area[512];
    if (JsonMemberRoom(nameLength, valueLength) <= sizeof area) {
        const char* end = WriteJsonMember(area, first, name, nameLength, value, valueLength, valueKind);
        out->AppendText(area, static_cast<std::size_t>(end - area));
        return;
    }
    if (!first) out->AppendText(",", 1);
    AppendJsonString(out, name, nameLength);
    if (valueKind == QM_VALUE_UNSET) {
        out->AppendText(":null", 5);
    } else if (ShowsBareInJson(value, valueKind)) {
        out->AppendText(":", 1);
        out->AppendText(value, valueLength);
    } else {
        out->AppendText(":", 1);
        AppendJsonString(out, value, valueLength);
    }
}

}  // namespace qm
