// The component contract: every component library exports GetComponentPtr,
// returning a CQmErrLogComponent with its message catalogue and trace
// components. The class is header-only so that component libraries, built
// separately, need not link this library. Its virtual slots and fields are a
// binary contract: do not reorder them.
#pragma once

#include "qmerrlog/export.h"

// Message id and trace component id layout (unsigned 32-bit):
//   bits 24-31 component number (1-based), bits 16-23 trace component number,
//   bits 14-15 message type, bits 0-13 message number.
// Every reading of an id goes through the helpers below, so the layout is
// written here and nowhere else.
constexpr unsigned int QM_COMPONENT_SHIFT = 24;
constexpr unsigned int QM_TRACE_COMPONENT_SHIFT = 16;
constexpr unsigned int QM_MESSAGE_TYPE_SHIFT = 14;
constexpr unsigned int QM_COMPONENT_MASK = 0xFF000000u;
constexpr unsigned int QM_TRACE_COMPONENT_MASK = 0x00FF0000u;
// Component and trace component together: the id of a trace component.
constexpr unsigned int QM_TRACE_COMPONENT_ID_MASK = QM_COMPONENT_MASK | QM_TRACE_COMPONENT_MASK;
constexpr unsigned int QM_MESSAGE_TYPE_MASK = 0x0000C000u;
constexpr unsigned int QM_MESSAGE_NUMBER_MASK = 0x3FFFu;

enum QmMessageType {
    QM_MSG_INVALID = 0,
    QM_MSG_INFO = 1,
    QM_MSG_WARNING = 2,
    QM_MSG_ERROR = 3
};

// Builds a message id from its parts.
constexpr unsigned int QmMessageId(unsigned int component, unsigned int type, unsigned int number) {
    return (component << QM_COMPONENT_SHIFT) | ((type << QM_MESSAGE_TYPE_SHIFT) & QM_MESSAGE_TYPE_MASK) |
           (number & QM_MESSAGE_NUMBER_MASK);
}

// Builds a trace component id; traceComponent 0 names the whole component.
constexpr unsigned int QmTraceComponentId(unsigned int component, unsigned int traceComponent) {
    return (component << QM_COMPONENT_SHIFT) |
           ((traceComponent << QM_TRACE_COMPONENT_SHIFT) & QM_TRACE_COMPONENT_MASK);
}

// The component number (1-based; 0 in no valid id) of a message or trace component id.
constexpr unsigned int QmComponentNumber(unsigned int id) {
    return id >> QM_COMPONENT_SHIFT;
}

// The trace component number within its component (0 for the component as a whole).
constexpr unsigned int QmTraceComponentNumber(unsigned int id) {
    return (id & QM_TRACE_COMPONENT_MASK) >> QM_TRACE_COMPONENT_SHIFT;
}

// The message type bits of a message id (a QmMessageType value).
constexpr unsigned int QmMessageTypeOf(unsigned int id) {
    return (id & QM_MESSAGE_TYPE_MASK) >> QM_MESSAGE_TYPE_SHIFT;
}

// The number of a message within its component and type.
constexpr unsigned int QmMessageNumber(unsigned int id) {
    return id & QM_MESSAGE_NUMBER_MASK;
}

// Component and trace component number as one 16-bit index (0..65535).
constexpr unsigned int QmTraceComponentIndex(unsigned int id) {
    return id >> QM_TRACE_COMPONENT_SHIFT;
}

// The trace component id a message or trace id belongs to (its low 16 bits cleared).
constexpr unsigned int QmTraceComponentIdOf(unsigned int id) {
    return id & QM_TRACE_COMPONENT_ID_MASK;
}

// One trace component as a component declares it.
struct QmTraceComponentDesc {
    char key[24];
    char name[32];
    const char* description;
};

class CQmErrLogComponent {
public:
    CQmErrLogComponent()
        : m_phLibrary(nullptr),
          m_uComponentId(0x1000000u),
          m_pszShortName("Log"),
          m_pszDisplayName("Log"),
          m_pszDescription("Log description") {}
    virtual ~CQmErrLogComponent() {}

    // Stores the number of trace components and the address of their array.
    virtual void GetTraceComponents(int* count, QmTraceComponentDesc** list) = 0;
    // The catalogue text of the whole message id, or null. Called from many threads.
    virtual const char* GetMessage(unsigned int messageId) = 0;

    unsigned int GetComponentId() const { return m_uComponentId; }
    const char* GetShortName() const { return m_pszShortName; }
    const char* GetDisplayName() const { return m_pszDisplayName; }
    const char* GetDescription() const { return m_pszDescription; }
    void** GetLibraryHandle() const { return m_phLibrary; }
    void SetLibraryHandle(void** handleCell) { m_phLibrary = handleCell; }

protected:
    // Heap cell holding the platform handle of the loaded library; set by the
    // logger after loading, null for the library's own component.
    void** m_phLibrary;
    unsigned int m_uComponentId;  // component number << 24
    const char* m_pszShortName;
    const char* m_pszDisplayName;
    const char* m_pszDescription;
};

// The library's own catalogue: component 1 ("Log"), messages 1 to 3 = "%1s".
class QMERRLOG_API CQmLogComponent : public CQmErrLogComponent {
public:
    CQmLogComponent();
    ~CQmLogComponent() override;
    void GetTraceComponents(int* count, QmTraceComponentDesc** list) override;
    const char* GetMessage(unsigned int messageId) override;
};

// Entry point every component library exports; this library's returns its CQmLogComponent.
extern "C" QMERRLOG_API CQmErrLogComponent* GetComponentPtr();

// Stores 25 and the table of bare library names; row i is component number i + 1.
QMERRLOG_API bool GetKnownComponentLibs(int* count, const char* const** names);
