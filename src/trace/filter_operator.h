// The comparison of a filter line: what follows the delimiter that ended the
// field name is blanks or tabs, then "==" or "!=", then the filter text.
#pragma once

namespace qm {

// rest: the text just after the name's delimiter. Returns QM_FILTER_EQUAL or
// QM_FILTER_NOT_EQUAL and points *text just past the operator, or returns
// QM_FILTER_NONE and points *text at the first byte that is neither blank
// nor tab (where an operator was looked for).
int ParseFilterOperator(char* rest, char** text);

}  // namespace qm
