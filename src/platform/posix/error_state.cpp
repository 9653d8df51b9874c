// errno kept across a library call.
#include "platform/error_state.h"

#include <cerrno>

namespace qm {
namespace platform {

CallerErrorState::CallerErrorState() : m_iErrno(errno), m_ulLastError(0) {}

CallerErrorState::~CallerErrorState() {
    Restore();
}

void CallerErrorState::Restore() const {
    errno = m_iErrno;
    static_cast<void>(m_ulLastError);  // Windows' last error; POSIX has none
}

}  // namespace platform
}  // namespace qm
