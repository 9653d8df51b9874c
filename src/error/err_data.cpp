// One entry of an error chain.
#include "qmerrlog/error.h"

// The message takes the default logger's local-time setting now, so a later
// change of that setting does not reach an entry already made.
CQmErrData::CQmErrData() : m_pNext(nullptr), m_uErrorCode(0), m_bLogged(false) {}

// Entries never own their successors: the chain deletes them one by one.
CQmErrData::~CQmErrData() {
    m_pNext = nullptr;
}
