// Lock classes: critical sections, a semaphore and reader/writer guards with
// writer preference. The library's own objects use CQmErrLogCS, CQmErrLogGuard
// and their scoped holders; the other classes serve programs built on it.
#pragma once

#include <atomic>
#include <cstdint>

#include "qmerrlog/export.h"

// Wait without a time limit.
constexpr unsigned int QM_INFINITE = 0xFFFFFFFFu;

// Room for one platform critical section, embedded in the objects that own one.
struct QmCriticalSectionStorage {
    alignas(16) unsigned char bytes[64];
};

// A critical section embedded in the object; recursive for the owning thread.
class QMERRLOG_API CQmErrLogCriticalSection {
public:
    CQmErrLogCriticalSection();
    ~CQmErrLogCriticalSection();
    CQmErrLogCriticalSection(const CQmErrLogCriticalSection&) = delete;
    CQmErrLogCriticalSection& operator=(const CQmErrLogCriticalSection&) = delete;

    void Enter();
    void Leave();

private:
    template <typename>
    friend struct QmInternalAccess;
    QmCriticalSectionStorage m_cs;
};

class QMERRLOG_API CQmErrLogPrivAutoCS {
public:
    explicit CQmErrLogPrivAutoCS(CQmErrLogCriticalSection& cs);
    ~CQmErrLogPrivAutoCS();
    CQmErrLogPrivAutoCS(const CQmErrLogPrivAutoCS&) = delete;
    CQmErrLogPrivAutoCS& operator=(const CQmErrLogPrivAutoCS&) = delete;

private:
    CQmErrLogCriticalSection& m_cs;
};

// A critical section on the heap; every operation is a no-op when the
// allocation failed, so the caller runs unprotected rather than failing.
class QMERRLOG_API CQmErrLogCS {
public:
    CQmErrLogCS();
    ~CQmErrLogCS();
    CQmErrLogCS(const CQmErrLogCS&) = delete;
    CQmErrLogCS& operator=(const CQmErrLogCS&) = delete;

    void Enter();
    void Leave();
    bool Exists() const { return m_pCS != nullptr; }

private:
    QmCriticalSectionStorage* m_pCS;
};

class QMERRLOG_API CQmErrLogAutoCS {
public:
    explicit CQmErrLogAutoCS(CQmErrLogCS& cs);
    ~CQmErrLogAutoCS();
    CQmErrLogAutoCS(const CQmErrLogAutoCS&) = delete;
    CQmErrLogAutoCS& operator=(const CQmErrLogAutoCS&) = delete;

private:
    CQmErrLogCS& m_cs;
};

// A waitable kernel object. The handle is opaque to callers.
class QMERRLOG_API CQmErrLogSyncBase {
public:
    ~CQmErrLogSyncBase();
    CQmErrLogSyncBase(const CQmErrLogSyncBase&) = delete;
    CQmErrLogSyncBase& operator=(const CQmErrLogSyncBase&) = delete;

    // 0 signalled, 1 timed out, -1 anything else.
    int Wait(unsigned int timeoutMs);
    // True when signalled (or abandoned) without waiting.
    bool Test();

protected:
    CQmErrLogSyncBase();
    void* m_hHandle;
};

class QMERRLOG_API CQmErrLogSemaphore : public CQmErrLogSyncBase {
public:
    explicit CQmErrLogSemaphore(long initialCount = 0, long maximumCount = 0x7FFFFFFF, bool create = false);
    bool Init(long initialCount, long maximumCount);
    void Release(long count);
};

// State shared in layout by CQmErrLogGuard (on the heap) and CQmGuard
// (embedded). Private to the library; programs use the guard operations.
struct QmGuardState {
    // active (low 32 bits, signed: 0 free, n readers, -1 one writer) and, in
    // bit 32, "somebody waits". Uncontended readers only touch this word; as
    // soon as anybody waits, every change goes through the critical section.
    std::atomic<std::uint64_t> word;
    std::int32_t waitingReaders;
    std::int32_t waitingWriters;
    void* readersSemaphore;
    void* writersSemaphore;
    // Admissions handed to waiters of a side whose semaphore could not be
    // created; such waiters poll these instead of blocking.
    std::atomic<std::int32_t> readerGrants;
    std::atomic<std::int32_t> writerGrants;
    QmCriticalSectionStorage cs;
};

// Single writer, many readers, writer preference with hand-off wake-up.
class QMERRLOG_API CQmErrLogGuard {
public:
    CQmErrLogGuard();
    ~CQmErrLogGuard();
    CQmErrLogGuard(const CQmErrLogGuard&) = delete;
    CQmErrLogGuard& operator=(const CQmErrLogGuard&) = delete;

    void LockForRead();
    void LockForWrite();
    void Unlock();

private:
    template <typename>
    friend struct QmInternalAccess;
    QmGuardState* m_pState;
};

class QMERRLOG_API CQmGuard {
public:
    CQmGuard();
    ~CQmGuard();
    CQmGuard(const CQmGuard&) = delete;
    CQmGuard& operator=(const CQmGuard&) = delete;

    void LockForRead();
    void LockForWrite();
    void Unlock();

private:
    template <typename>
    friend struct QmInternalAccess;
    QmGuardState m_state;
};

class QMERRLOG_API CQmErrLogAutoReader {
public:
    explicit CQmErrLogAutoReader(CQmErrLogGuard& guard);
    ~CQmErrLogAutoReader();
    CQmErrLogAutoReader(const CQmErrLogAutoReader&) = delete;
    CQmErrLogAutoReader& operator=(const CQmErrLogAutoReader&) = delete;

private:
    CQmErrLogGuard& m_guard;
};

class QMERRLOG_API CQmErrLogAutoWriter {
public:
    explicit CQmErrLogAutoWriter(CQmErrLogGuard& guard);
    ~CQmErrLogAutoWriter();
    CQmErrLogAutoWriter(const CQmErrLogAutoWriter&) = delete;
    CQmErrLogAutoWriter& operator=(const CQmErrLogAutoWriter&) = delete;

private:
    CQmErrLogGuard& m_guard;
};
