// Whether a caller's text can safely serve as a printf format for a fixed
// number of string arguments. Java callers hand us message texts that are
// formats for their argument strings; a stray "%d", "%n" or a seventh "%s"
// would make the formatter read or write memory that is not an argument.
#pragma once

namespace qm {

// True when every conversion of format is "%%" or a string conversion
// ("%s", "%-8s", "%.3s", "%2$s", ...) and the conversions use no argument
// beyond the first `arguments` ones. Width and precision must be digits
// ("*" takes an int argument); positional and sequential conversions may not
// be mixed.
bool IsStringArgumentFormat(const char* format, int arguments);

}  // namespace qm
