// Line-file reader of the product family's utility library (the least the
// trace configuration reader needs).
#pragma once

#include <cstddef>
#include <string>

class CQmFile {
public:
    // Most bytes a file of lines may hold: more is refused rather than read
    // for as long as it takes (configuration files are a few kilobytes).
    static constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;
    // The one open mode there is: a text file read line by line.
    static constexpr int kReadLines = 3;

    // Why the last OpenFile failed.
    enum Refusal {
        kNoRefusal = 0,
        kCannotRead,      // errno says why
        kNotRegularFile,  // a directory, FIFO, device or socket
        kTooLarge         // more than kMaxFileBytes
    };

    CQmFile() : m_bOpen(false), m_position(0), m_refusal(kNoRefusal) {}
    virtual ~CQmFile() { CloseFile(); }
    CQmFile(const CQmFile&) = delete;
    CQmFile& operator=(const CQmFile&) = delete;

    // mode kReadLines: a text file opened for reading lines. Other modes are refused,
    // and so is anything but a regular file of at most kMaxFileBytes. The
    // file is read whole here, once: what ReadLine delivers is that snapshot.
    bool OpenFile(const char* path, int mode);
    // Reads lines from text as if it were the file's contents.
    bool OpenText(std::string text);
    // Places one line (with its line feed when it has one) in buffer as a
    // NUL-terminated text and returns its length; 0 at the end of the file.
    // A carriage return right before the line feed (or at the very end) is
    // dropped, so files saved with CR LF line ends read like LF files. A
    // line longer than size - 1 bytes is cut there and its rest skipped, so
    // no read ever passes the caller's area.
    int ReadLine(void* buffer, int size);
    // Harmless when already closed.
    void CloseFile();

    // The whole snapshot while open.
    const std::string& Text() const { return m_text; }
    Refusal LastRefusal() const { return m_refusal; }

private:
    bool m_bOpen;
    std::string m_text;
    std::size_t m_position;  // start of the next line in m_text
    Refusal m_refusal;
};
