// The error chain: collect errors along one path of work, then log all new
// ones or only the last through the default logger.
#pragma once

#include "qmerrlog/export.h"
#include "qmerrlog/message.h"

class QMERRLOG_API CQmErrData {
public:
    CQmErrData();
    virtual ~CQmErrData();
    CQmErrData(const CQmErrData&) = delete;
    CQmErrData& operator=(const CQmErrData&) = delete;

    CQmErrData* GetNext() const { return m_pNext; }
    void SetNext(CQmErrData* next) { m_pNext = next; }
    unsigned int GetErrorCode() const { return m_uErrorCode; }
    void SetErrorCode(unsigned int code) { m_uErrorCode = code; }
    bool IsLogged() const { return m_bLogged; }
    void SetLogged() { m_bLogged = true; }
    CQmErrLogMessage& GetErrLogMessage() { return m_message; }

private:
    CQmErrData* m_pNext;
    unsigned int m_uErrorCode;
    bool m_bLogged;
    CQmErrLogMessage m_message;
};

class QMERRLOG_API CQmError {
public:
    CQmError();
    virtual ~CQmError();
    // Both take over other's entries and leave it empty.
    CQmError(const CQmError& other);
    CQmError& operator=(const CQmError& other);

    static CQmErrData* NewErrData();
    void Clear();
    void AddError(CQmErrData* entry);
    void SetError(CQmErrData* entry);
    bool LogMessages();
    bool LogLastMessage();
    unsigned int GetLastError() const;

private:
    mutable CQmErrData* m_pHead;
    mutable CQmErrData* m_pTail;
};
