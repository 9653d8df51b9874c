#include "core/output_claims.h"

#include <unordered_set>

#include "platform/critical_section.h"
#include "qmerrlog/locks.h"

namespace {

// Lock order: taken last, under any logger's guard; nothing is called under it.
struct Claims {
    QmCriticalSectionStorage lock;
    std::unordered_set<const CQmLogOutput*> installed;
    Claims() { qm::platform::InitCriticalSection(&lock); }
};

// Never destroyed: outputs are closed at exit, after static destruction began.
Claims& TheClaims() {
    static Claims* claims = new Claims();
    return *claims;
}

class HoldClaims {
public:
    explicit HoldClaims(Claims& claims) : m_claims(claims) {
        qm::platform::EnterCriticalSection(&m_claims.lock);
    }
    ~HoldClaims() { qm::platform::LeaveCriticalSection(&m_claims.lock); }
    HoldClaims(const HoldClaims&) = delete;
    HoldClaims& operator=(const HoldClaims&) = delete;

private:
    Claims& m_claims;
};

}  // namespace

namespace qm {

bool ClaimOutput(CQmLogOutput* output) {
    if (output == nullptr) return false;
    Claims& claims = TheClaims();
    HoldClaims hold(claims);
    return claims.installed.insert(output).second;
}

void UnclaimOutput(CQmLogOutput* output) {
    if (output == nullptr) return;
    Claims& claims = TheClaims();
    HoldClaims hold(claims);
    claims.installed.erase(output);
}

bool OutputClaimed(CQmLogOutput* output) {
    if (output == nullptr) return false;
    Claims& claims = TheClaims();
    HoldClaims hold(claims);
    return claims.installed.count(output) != 0;
}

void LockOutputClaimsForFork() { platform::EnterCriticalSection(&TheClaims().lock); }

void UnlockOutputClaimsInParent() { platform::LeaveCriticalSection(&TheClaims().lock); }

void ResetOutputClaimsInChild() { platform::ResetCriticalSectionInChild(&TheClaims().lock); }

}  // namespace qm
