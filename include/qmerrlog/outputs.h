// Outputs: the abstract CQmLogOutput and the library's six outputs. Programs
// obtain them from CQmLogger::NewLogOutput and may derive outputs of their own.
#pragma once

#include <cstddef>

#include "qmerrlog/export.h"
#include "qmerrlog/locks.h"

class CQmErrLogMessage;

// Output type codes (GetType).
enum QmOutputType {
    QM_OUTPUT_CONSOLE = 0,
    QM_OUTPUT_FILE = 1,
    QM_OUTPUT_SYNC_CALLBACK = 2,
    QM_OUTPUT_ASYNC_CALLBACK = 3,
    QM_OUTPUT_SYNC_PARAM_CALLBACK = 4,
    QM_OUTPUT_ASYNC_PARAM_CALLBACK = 5,
    QM_OUTPUT_SYSLOG = 6
};

// Syslog facilities (RFC 5424) the syslog output is most often given.
enum QmSyslogFacility {
    QM_SYSLOG_DEFAULT_FACILITY = -1,  // user for records, authpriv for audit records
    QM_SYSLOG_USER = 1,
    QM_SYSLOG_DAEMON = 3,
    QM_SYSLOG_AUTH = 4,
    QM_SYSLOG_AUTHPRIV = 10,
    QM_SYSLOG_LOCAL0 = 16,
    QM_SYSLOG_LOCAL7 = 23
};

// Callback signatures supplied by programs. The text is the message's own,
// NUL-terminated buffer, valid until the callback returns.
typedef void (*QmReleaseFunction)(char* text);
typedef void (*QmSyncCallback)(const char* text, int length);
typedef void (*QmSyncParameterizedCallback)(const char* text, int length, void* user);
typedef void (*QmAsyncCallback)(const char* text, int length, QmReleaseFunction release);
typedef void (*QmAsyncParameterizedCallback)(const char* text, int length, QmReleaseFunction release, void* user);

class QMERRLOG_API CQmLogOutput {
public:
    virtual ~CQmLogOutput();
    virtual bool Open() = 0;
    virtual bool Log(CQmErrLogMessage& message) = 0;
    virtual bool Flush();
    virtual bool Close() = 0;
    virtual void EnableBuffering(bool enable);
    virtual bool IsBufferingEnabled();
    virtual bool IsBufferingSupported();
    virtual bool IsAsync();

    int GetType() const { return m_iType; }

protected:
    CQmLogOutput() : m_iType(-1) {}
    CQmLogOutput(const CQmLogOutput&) = default;
    CQmLogOutput& operator=(const CQmLogOutput&) = default;
    void SetType(int type) { m_iType = type; }

private:
    int m_iType;
};

class QMERRLOG_API CQmSyncCallbackOutput : public CQmLogOutput {
public:
    CQmSyncCallbackOutput();
    bool Open() override;
    bool Log(CQmErrLogMessage& message) override;
    bool Close() override;
    virtual bool SetParams(QmSyncCallback callback);

private:
    QmSyncCallback m_pfnCallback;
};

class QMERRLOG_API CQmSyncParameterizedCallbackOutput : public CQmLogOutput {
public:
    CQmSyncParameterizedCallbackOutput();
    CQmSyncParameterizedCallbackOutput(const CQmSyncParameterizedCallbackOutput&) = default;
    CQmSyncParameterizedCallbackOutput& operator=(const CQmSyncParameterizedCallbackOutput&) = default;
    bool Open() override;
    bool Log(CQmErrLogMessage& message) override;
    bool Close() override;
    virtual bool SetParams(QmSyncParameterizedCallback callback, void* user);

private:
    QmSyncParameterizedCallback m_pfnCallback;
    void* m_pUser;
};

class QMERRLOG_API CQmAsyncCallbackOutput : public CQmLogOutput {
public:
    CQmAsyncCallbackOutput();
    bool Open() override;
    bool Log(CQmErrLogMessage& message) override;
    bool Close() override;
    bool IsAsync() override;
    virtual bool SetParams(QmAsyncCallback callback);

private:
    QmAsyncCallback m_pfnCallback;
};

class QMERRLOG_API CQmAsyncParameterizedCallbackOutput : public CQmLogOutput {
public:
    CQmAsyncParameterizedCallbackOutput();
    bool Open() override;
    bool Log(CQmErrLogMessage& message) override;
    bool Close() override;
    bool IsAsync() override;
    virtual bool SetParams(QmAsyncParameterizedCallback callback, void* user);

private:
    QmAsyncParameterizedCallback m_pfnCallback;
    void* m_pUser;
};

// Appends lines to a file; modes 3 and 4 roll it over by size to time-stamped
// backups ("stem_YYYYMMDD_HHMMSS.ext", "_NN" for more in one second), which
// SetCompressBackups(true) has compressed to "<backup>.gz" in the background.
class QMERRLOG_API CQmFileOutput : public CQmLogOutput {
public:
    CQmFileOutput();
    ~CQmFileOutput() override;
    CQmFileOutput(const CQmFileOutput&) = delete;
    CQmFileOutput& operator=(const CQmFileOutput&) = delete;

    bool Open() override;
    bool Log(CQmErrLogMessage& message) override;
    bool Close() override;
    void EnableBuffering(bool enable) override;
    bool IsBufferingEnabled() override;
    bool IsBufferingSupported() override;
    // mode 0 truncate, 1 append, 2 roll aside, 3 append + size limit, 4 roll aside + size limit.
    virtual bool SetParams(const char* path, int mode, int maxSizeMb, int maxBackups);
    // Off by default. When on, each backup a rollover makes is compressed to
    // "<backup>.gz" (gzip) by one background thread of the process; the
    // plain backup is removed only once the compressed file is complete.
    // Logging never waits for it. Backups left plain (a crash, a full disk,
    // a busy worker) are compressed when the output next opens or rolls
    // over, and pruning counts plain and compressed backups together. Set it
    // before the output is installed.
    void SetCompressBackups(bool compress);
    bool IsCompressingBackups() const;

private:
    // The open file, its lock and the rollover's settings, kept out of this
    // header; QmFileOutputDisk chooses the disk and clock they work on.
    struct State;
    friend struct QmFileOutputDisk;
    State* m_pState;
};

// Writes to the process's console (standard output), shared by every console
// output of the process through a reference-counted manager.
class QMERRLOG_API CQmConsoleOutput : public CQmLogOutput {
public:
    CQmConsoleOutput();
    bool Open() override;
    bool Log(CQmErrLogMessage& message) override;
    bool Close() override;
    virtual bool SetParams();

private:
    void* m_hConsole;
};

// Sends each record as one RFC 5424 message to a syslog collector: over the
// local datagram socket, UDP, or TCP with octet-counting framing. Log lines
// take the severity of their message type and the message id as MSGID, audit
// records go to their own facility at notice, trace records go at debug with
// their fields as structured data. Sends wait at most a bounded time; a lost
// TCP connection is made again on a later Log, with growing pauses between
// failed attempts. Log returns false for every record that was not handed to
// the transport, and never sends one twice.
class QMERRLOG_API CQmSyslogOutput : public CQmLogOutput {
public:
    CQmSyslogOutput();
    ~CQmSyslogOutput() override;
    CQmSyslogOutput(const CQmSyslogOutput&) = delete;
    CQmSyslogOutput& operator=(const CQmSyslogOutput&) = delete;

    // Connects; false when the target cannot be reached (or is already open).
    bool Open() override;
    bool Log(CQmErrLogMessage& message) override;
    bool Close() override;
    // target: "unix:PATH" (POSIX only), "udp://HOST:PORT", "tcp://HOST:PORT",
    // or null for the local socket /dev/log. appName: the APP-NAME (null for
    // none). Facilities 0 to 23, or QM_SYSLOG_DEFAULT_FACILITY. False for a
    // malformed target or facility, or on an open output.
    virtual bool SetParams(const char* target, const char* appName, int facility, int auditFacility);

private:
    struct Connection;  // target, socket and back-off, kept out of this header

    // Hands one frame to the transport under the send lock, connecting first
    // when there is no connection.
    bool Send(const char* bytes, std::size_t length);

    // Lock order: taken after the logger's guard; serialises sends so that
    // frames never interleave on a stream, and guards reconnection.
    CQmErrLogCS m_sendLock;
    Connection* m_pConnection;
};
