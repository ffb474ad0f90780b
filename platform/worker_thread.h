// A second thread for work that can run beside the caller's, and the one
// lock the threads share. Portable: no Windows headers.
#pragma once

#include "platform/unique_handle.h"

#include <functional>

class TWorkerThread {
public:
    // Starts work on a thread of its own with a small stack. Without work,
    // or when the system gives no thread, nothing runs: Started() says so
    // and the caller does the work itself. The work must not let an
    // exception out.
    explicit TWorkerThread(std::function<void()> work);
    // Waits for the work to end.
    ~TWorkerThread();
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    bool Started() const { return static_cast<bool>(thread_); }
    void Join();

private:
    std::function<void()> work_;
    TKernelHandle thread_;
};

// A lock for data two threads reach; exclusive, not recursive. Usable as a
// static: it needs no construction at run time.
class TLock {
public:
    void Acquire();
    void Release();

private:
    void* state_ = nullptr; // an SRWLOCK
};

class TLockHolder {
public:
    explicit TLockHolder(TLock& lock) : lock_(lock) { lock_.Acquire(); }
    ~TLockHolder() { lock_.Release(); }
    TLockHolder(const TLockHolder&) = delete;
    TLockHolder& operator=(const TLockHolder&) = delete;

private:
    TLock& lock_;
};
