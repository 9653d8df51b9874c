// The library's own catalogue component and the table of known component
// libraries.
#include "core/catalogue.h"
#include "platform/no_destructor.h"
#include "qmerrlog/component.h"

namespace {

// Every one of the library's own messages prints its first argument.
const char kOwnMessageText[] = "%1s";
constexpr unsigned int kFirstOwnMessage = 1;
constexpr unsigned int kLastOwnMessage = 3;

// Constant data, never written: GetTraceComponents hands out a non-const
// pointer only because the component contract is older than const.
QmTraceComponentDesc g_ownTraceComponents[] = {
    {"Legacy", "Legacy", "Legacy Description."},
};

const char* const kKnownComponentLibs[qm::kKnownComponentCount] = {
    "qmlogcomponent", "qmcomponent01", "qmcomponent02", "qmcomponent03", "qmcomponent04",
    "qmcomponent05",  "qmcomponent06", "qmcomponent07", "qmcomponent08", "qmcomponent09",
    "qmcomponent10",  "qmcomponent11", "qmcomponent12", "qmcomponent13", "qmcomponent14",
    "qmcomponent15",  "qmcomponent16", "qmcomponent17", "qmcomponent18", "qmcomponent19",
    "qmcomponent20",  "qmcomponent21", "qmcomponent22", "qmcomponent23", "qmcomponent24",
};

}  // namespace

// The base constructor already names the component "Log", id 0x1000000.
CQmLogComponent::CQmLogComponent() = default;

CQmLogComponent::~CQmLogComponent() = default;

void CQmLogComponent::GetTraceComponents(int* count, QmTraceComponentDesc** list) {
    if (count != nullptr) *count = static_cast<int>(sizeof g_ownTraceComponents / sizeof g_ownTraceComponents[0]);
    if (list != nullptr) *list = g_ownTraceComponents;
}

const char* CQmLogComponent::GetMessage(unsigned int messageId) {
    // Only the message number counts: the type and component bits are the caller's.
    const unsigned int number = QmMessageNumber(messageId);
    return number >= kFirstOwnMessage && number <= kLastOwnMessage ? kOwnMessageText : nullptr;
}

extern "C" CQmErrLogComponent* GetComponentPtr() {
    // Built on the first call, race-free, and never destroyed: loggers borrow
    // it for slot 0, and threads may still look texts up while the process
    // exits.
    static qm::NoDestructor<CQmLogComponent> own;
    return own.get();
}

bool GetKnownComponentLibs(int* count, const char* const** names) {
    if (count != nullptr) *count = qm::kKnownComponentCount;
    if (names != nullptr) *names = kKnownComponentLibs;
    return true;
}
