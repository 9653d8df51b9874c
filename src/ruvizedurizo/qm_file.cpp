#include "qm_file.h"

bool CQmFile::OpenFile(const char* path, int mode) {
    if (path == nullptr || mode != 3 || m_pStream != nullptr) return false;
    m_pStream = std::fopen(path, "rb");
    if (m_pStream == nullptr) return false;
    // A directory opens but cannot be read: refuse it here rather than let
    // it pass as an empty file.
    const int first = std::getc(m_pStream);
    if (first == EOF && std::ferror(m_pStream)) {
        CloseFile();
        return false;
    }
    if (first != EOF) std::ungetc(first, m_pStream);
    m_iHandle = 0;
    return true;
}

int CQmFile::ReadLine(void* buffer, int size) {
    if (m_pStream == nullptr || buffer == nullptr || size < 2) return 0;
    char* out = static_cast<char*>(buffer);
    int length = 0;
    int c = 0;
    while (length < size - 1 && (c = std::getc(m_pStream)) != EOF) {
        out[length++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    out[length] = '\0';
    if (length == size - 1 && out[length - 1] != '\n') {
        // Cut: skip what is left of this line.
        while ((c = std::getc(m_pStream)) != EOF && c != '\n') {
        }
    }
    return length;
}

void CQmFile::CloseFile() {
    if (m_pStream != nullptr) std::fclose(m_pStream);
    m_pStream = nullptr;
    m_iHandle = -1;
}
