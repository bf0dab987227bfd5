#include "platform/os/Threads.h"
#include "platform/os/CrashFilter.h"
#include "platform/os/Paths.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <new>
#include <sched.h>
#include <thread>
#include <time.h>

namespace {

constexpr std::uint32_t kThreadMagic = 0x54485244u; // "THRD"

enum class Gate { Held, Open, Abandoned };

// Shared by the handle and the running thread, so either may go first.
struct ThreadState {
    std::mutex lock;
    std::condition_variable changed;
    Gate gate = Gate::Held;
    bool finished = false;
    DWORD exitCode = 0;
};

struct ThreadHandle {
    std::uint32_t magic = kThreadMagic;
    std::shared_ptr<ThreadState> state;
};

std::atomic<DWORD> g_nextThreadId{1};

ThreadHandle* AsThread(HANDLE h) {
    auto* t = static_cast<ThreadHandle*>(h);
    return t && t->magic == kThreadMagic ? t : nullptr;
}

void RunThread(std::shared_ptr<ThreadState> state, LPTHREAD_START_ROUTINE start, LPVOID parameter) {
    {
        std::unique_lock<std::mutex> l(state->lock);
        state->changed.wait(l, [&] { return state->gate != Gate::Held; });
        if (state->gate == Gate::Abandoned) return;
    }
    DWORD code = 0;
    {
        // A crash on this thread is still reported, even a stack overflow.
        Platform::ScopedAlternateSignalStack altStack;
        code = start(parameter);
    }
    std::lock_guard<std::mutex> l(state->lock);
    state->exitCode = code;
    state->finished = true;
    state->changed.notify_all();
}

std::recursive_mutex& MutexOf(LPCRITICAL_SECTION s) {
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(s->storage));
}

} // namespace

HANDLE CreateThread(void*, std::size_t, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD creationFlags,
                    DWORD* threadId) {
    if (!start) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto* handle = new (std::nothrow) ThreadHandle;
    if (!handle) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    handle->state = std::make_shared<ThreadState>();
    if (!(creationFlags & CREATE_SUSPENDED)) handle->state->gate = Gate::Open;
    try {
        // Detached: the state records the end, so no joinable thread object
        // can abort the process at exit.
        std::thread(RunThread, handle->state, start, parameter).detach();
    } catch (...) {
        delete handle;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId) *threadId = g_nextThreadId.fetch_add(1);
    return handle;
}

DWORD ResumeThread(HANDLE thread) {
    ThreadHandle* t = AsThread(thread);
    if (!t) return 0xFFFFFFFFu;
    std::lock_guard<std::mutex> l(t->state->lock);
    if (t->state->gate != Gate::Held) return 0;
    t->state->gate = Gate::Open;
    t->state->changed.notify_all();
    return 1;
}

DWORD WaitForSingleObjectEx(HANDLE handle, DWORD milliseconds, BOOL) {
    ThreadHandle* t = AsThread(handle);
    if (!t) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    std::unique_lock<std::mutex> l(t->state->lock);
    auto done = [&] { return t->state->finished; };
    if (milliseconds == INFINITE) {
        t->state->changed.wait(l, done);
        return WAIT_OBJECT_0;
    }
    return t->state->changed.wait_for(l, std::chrono::milliseconds(milliseconds), done) ? WAIT_OBJECT_0
                                                                                         : WAIT_TIMEOUT;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) { return WaitForSingleObjectEx(handle, milliseconds, FALSE); }

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
    ThreadHandle* t = AsThread(thread);
    if (!t || !exitCode) return FALSE;
    std::lock_guard<std::mutex> l(t->state->lock);
    if (!t->state->finished) return FALSE;
    *exitCode = t->state->exitCode;
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    ThreadHandle* t = AsThread(handle);
    if (!t) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> l(t->state->lock);
        if (t->state->gate == Gate::Held) {
            t->state->gate = Gate::Abandoned;
            t->state->changed.notify_all();
        }
    }
    t->magic = 0;
    delete t;
    return TRUE;
}

BOOL SwitchToThread() {
    sched_yield();
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    timespec ts{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    if (section) new (section->storage) std::recursive_mutex;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
    if (section) MutexOf(section).lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    return section && MutexOf(section).try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    if (section) MutexOf(section).unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    if (section) MutexOf(section).~recursive_mutex();
}
