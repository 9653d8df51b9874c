// What every logger builds from the known data field table when it starts:
// the list of field names it reports and the table each trace configuration
// starts from.
#pragma once

#include <string>

#include "qmerrlog/datafields.h"
#include "qmerrlog/tracedata.h"

namespace qm {

// The 64 field names in id order, separated by single blanks.
std::string BuildDataFieldListText();

// A new table of 64 entries: entry i has id i and the name and width of row i,
// everything else zero (not traced, not filtered, no filter, no value). Null
// when it cannot be allocated. Release with DeleteDataFieldInfoTable.
QmTraceDataFieldInfo* NewDataFieldInfoTable();
void DeleteDataFieldInfoTable(QmTraceDataFieldInfo* table);

// One table and one list text for the whole process, built on first use and
// never freed: every logger starts its trace configurations from them and
// reports them, and none writes to them. The table is null when it cannot be
// allocated (a later call tries again).
QmTraceDataFieldInfo* SharedDataFieldInfoTable();
const char* SharedDataFieldListText();

}  // namespace qm
