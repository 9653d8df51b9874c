// Splits one line of a trace configuration file into tokens the way strtok
// does, but with its state in the object: several threads may read
// configurations at once.
#pragma once

namespace qm {

class LineTokenizer {
public:
    // The line is cut in place: each token's ending delimiter becomes a NUL.
    explicit LineTokenizer(char* line) : m_pNext(line) {}

    // The next token, or null when only delimiters are left. Runs of
    // delimiters count as one.
    char* Next();

    // What follows the delimiter that ended the last token; null when that
    // token ended the line.
    char* Rest() const { return m_pNext; }

    static bool IsDelimiter(char c);

private:
    char* m_pNext;
};

}  // namespace qm
