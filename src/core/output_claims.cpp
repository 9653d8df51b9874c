#include "core/output_claims.h"

#include <unordered_set>

#include "platform/no_destructor.h"
#include "qmerrlog/locks.h"

namespace {

// Lock order: taken last, under any logger's guard; nothing is called under it.
struct Claims {
    CQmErrLogCriticalSection lock;
    std::unordered_set<const CQmLogOutput*> installed;
};

// Never destroyed: outputs are closed at exit, after static destruction began.
Claims& TheClaims() {
    static qm::NoDestructor<Claims> claims;
    return *claims;
}

}  // namespace

namespace qm {

bool ClaimOutput(CQmLogOutput* output) {
    if (output == nullptr) return false;
    Claims& claims = TheClaims();
    CQmErrLogPrivAutoCS hold(claims.lock);
    return claims.installed.insert(output).second;
}

void UnclaimOutput(CQmLogOutput* output) {
    if (output == nullptr) return;
    Claims& claims = TheClaims();
    CQmErrLogPrivAutoCS hold(claims.lock);
    claims.installed.erase(output);
}

bool OutputClaimed(CQmLogOutput* output) {
    if (output == nullptr) return false;
    Claims& claims = TheClaims();
    CQmErrLogPrivAutoCS hold(claims.lock);
    return claims.installed.count(output) != 0;
}

CQmErrLogCriticalSection& OutputClaimsLock() {
    return TheClaims().lock;
}

}  // namespace qm
