// The 64 known data fields of trace records: ids, names and column widths.
#pragma once

#include "qmerrlog/export.h"

struct KNOWNDATAFIELDINFO {
    const char* name;
    int width;  // column width in the column layout
};

constexpr unsigned int QM_DATA_FIELD_COUNT = 64;

// Ids with roles of their own, and those the Java bridge fills.
enum QmDataFieldId {
    QM_FIELD_MESSAGE = 0,
    QM_FIELD_SRCFILE = 1,
    QM_FIELD_PID = 2,
    QM_FIELD_TID = 3,
    QM_FIELD_DATE = 4,
    QM_FIELD_TIME = 5,
    QM_FIELD_PRECISETIME = 6,
    QM_FIELD_FUNCTION = 7,
    QM_FIELD_TRANSACTIONID = 18
};

// Stores 64 and the address of the table; always true.
QMERRLOG_API bool GetKnownDataFields(int* count, const KNOWNDATAFIELDINFO** table);
