#include "trace/filter_operator.h"

#include "qmerrlog/tracedata.h"

namespace qm {

int ParseFilterOperator(char* rest, char** text) {
    // Only blanks and tabs: "User ,==x" has no operator.
    while (*rest == ' ' || *rest == '\t') ++rest;
    *text = rest;
    if (rest[0] == '=' && rest[1] == '=') {
        *text = rest + 2;
        return QM_FILTER_EQUAL;
    }
    if (rest[0] == '!' && rest[1] == '=') {
        *text = rest + 2;
        return QM_FILTER_NOT_EQUAL;
    }
    return QM_FILTER_NONE;
}

}  // namespace qm
