// Generations of master trace records. Every master installed anywhere in the
// process gets a number no other master ever had, so a working copy is
// refreshed whenever it was not taken from the master in force — even when a
// pooled copy last served another logger, or tracing was switched off and on.
#pragma once

namespace qm {

long long NextTraceGeneration();

}  // namespace qm
