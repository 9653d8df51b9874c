// Line-file reader of the product family's utility library (the least the
// trace configuration reader needs).
#pragma once

#include <cstdio>

class CQmFile {
public:
    CQmFile() : m_iHandle(-1), m_pStream(nullptr) {}
    virtual ~CQmFile() { CloseFile(); }
    CQmFile(const CQmFile&) = delete;
    CQmFile& operator=(const CQmFile&) = delete;

    // mode 3: a text file opened for reading lines. Other modes are refused.
    bool OpenFile(const char* path, int mode);
    // Places one line (with its line feed when it has one) in buffer as a
    // NUL-terminated text and returns its length; 0 at the end of the file.
    // A line longer than size - 1 bytes is cut there and its rest skipped,
    // so no read ever passes the caller's area.
    int ReadLine(void* buffer, int size);
    // Harmless when already closed.
    void CloseFile();

private:
    int m_iHandle;  // -1 while closed
    std::FILE* m_pStream;
};
