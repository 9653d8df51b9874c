// How many trace records (masters, working copies, callers' own) exist now:
// lets tests and benchmarks see that replaced masters do not pile up.
#pragma once

namespace qm {

void CountTraceRecord(int change);
long LiveTraceRecords();

}  // namespace qm
