// errno and the thread's last error kept across a library call.
#include "platform/error_state.h"

#include <cerrno>

#include "platform/win32/windows_api.h"

namespace qm {
namespace platform {

CallerErrorState::CallerErrorState() : m_iErrno(errno), m_ulLastError(GetLastError()) {}

CallerErrorState::~CallerErrorState() {
    Restore();
}

void CallerErrorState::Restore() const {
    errno = m_iErrno;
    SetLastError(static_cast<DWORD>(m_ulLastError));
}

}  // namespace platform
}  // namespace qm
