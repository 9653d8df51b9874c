// Reads JSON lines back with a real JSON parser (python3's json module): each
// line of a file becomes its canonical ASCII form, or the reading fails.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/path_separators.h"

namespace qmtest {

// The commands below are POSIX shell: Windows runs (and Wine) go without.
inline bool HavePython() {
    return !qm::platform::IsLogPathSeparator('\\') &&
           std::system("python3 -c 'import json' >/dev/null 2>&1") == 0;
}

inline std::vector<std::string> ReadLines(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// One canonical line per input line (json.dumps with ASCII escapes); false
// when the file is not UTF-8 or any line is not exactly one JSON value.
inline bool ParseJsonLines(const std::string& file, std::vector<std::string>* canonical) {
    const std::string out = file + ".parsed";
    const std::string command =
        "python3 -c 'import json,sys\n"
        "for line in open(sys.argv[1], encoding=\"utf-8\", newline=\"\\n\"):\n"
        "    assert line.endswith(\"\\n\")\n"
        "    print(json.dumps(json.loads(line)))' '" + file + "' > '" + out + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return false;
    *canonical = ReadLines(out);
    return true;
}

}  // namespace qmtest
