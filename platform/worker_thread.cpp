#include "platform/worker_thread.h"

#include <windows.h>

static_assert(sizeof(SRWLOCK) == sizeof(void*), "TLock holds an SRWLOCK");

namespace {

// The work uses the heap for its buffers; the stack holds frames only.
constexpr SIZE_T WorkerStackSize = 256 * 1024;

// Windows starts a thread on any multiple of 4; the compiler assumes 16
// for what it calls, as on the main thread.
__attribute__((force_align_arg_pointer)) DWORD WINAPI RunWork(void* work)
{
    (*static_cast<std::function<void()>*>(work))();
    return 0;
}

} // namespace

TWorkerThread::TWorkerThread(std::function<void()> work) : work_(std::move(work))
{
    if (work_)
        thread_.reset(CreateThread(nullptr, WorkerStackSize, RunWork, &work_, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                   nullptr));
}

TWorkerThread::~TWorkerThread()
{
    Join();
}

void TWorkerThread::Join()
{
    if (thread_)
        WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

void TLock::Acquire()
{
    AcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&state_));
}

void TLock::Release()
{
    ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&state_));
}
