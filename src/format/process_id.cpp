#include "format/process_id.h"

#include "platform/process.h"

namespace qm {

// The platform keeps the cache, since only it learns of a fork.
int CachedProcessId() {
    return platform::CurrentProcessId();
}

}  // namespace qm
