// qmerrlog-tool: what the loggers of this machine load, and whether a trace
// configuration file says what its author meant.
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"

namespace {

const char kUsage[] =
    "usage: qmerrlog-tool COMMAND [ARGUMENT]\n"
    "\n"
    "  components               the components and trace components a logger loads,\n"
    "                           with their trace component ids and descriptions\n"
    "  fields                   the data fields of trace records: id, name, column width\n"
    "  check-trace-config FILE  reads a trace configuration file with the library's own\n"
    "                           reader and reports, by line, every name or line it\n"
    "                           ignores, then the components selected, the field order\n"
    "                           and the filters\n"
    "  --help                   this text\n"
    "\n"
    "Component libraries are found on the loader's search path (LD_LIBRARY_PATH),\n"
    "as for any program using the library.\n"
    "\n"
    "Exit status of check-trace-config: 0 accepted; 1 accepted, but names or lines\n"
    "are ignored; 2 refused or unreadable. Bad usage also exits with 2.\n";

int Usage(std::FILE* out, int status) {
    std::fputs(kUsage, out);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qm::tool;
    if (argc < 2) return Usage(stderr, kExitRefused);
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") return Usage(stdout, kExitAccepted);
    if (command == "components" && argc == 2) return ListComponents(stdout);
    if (command == "fields" && argc == 2) return ListFields(stdout);
    if (command == "check-trace-config" && argc == 3) return CheckTraceConfig(argv[2], stdout);
    std::fprintf(stderr, "qmerrlog-tool: bad usage: %s\n\n", std::strlen(argv[1]) != 0 ? argv[1] : "\"\"");
    return Usage(stderr, kExitRefused);
}
