#pragma once
// Threads and critical sections with the Win32 names the engines call.
// A thread handle from CreateThread stays valid until CloseHandle; the thread
// itself never holds the process back: a thread created suspended and never
// resumed simply ends with the process, and no handle left open makes exit
// block or abort.
#include "platform/os/Paths.h" // GetLastError
#include "platform/os/WinTypes.h"

#include <cstddef>
#include <mutex>

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

#define CREATE_SUSPENDED 0x00000004u
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

// CreateThread: starts `start(parameter)` on a new thread. With
// CREATE_SUSPENDED the thread waits at a start gate until ResumeThread.
// Security attributes and stack size are ignored. Returns null on failure
// (GetLastError tells why); `threadId`, when given, receives a non-zero id.
HANDLE CreateThread(void* securityAttributes, std::size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, DWORD* threadId);

// ResumeThread: opens the start gate of a suspended thread. Returns the
// previous suspend count (1 when it was held, 0 when already running), or
// 0xFFFFFFFF for a null or unknown handle.
DWORD ResumeThread(HANDLE thread);

// WaitForSingleObjectEx: waits until the thread's routine has returned, at
// most `milliseconds` (INFINITE: no limit). WAIT_OBJECT_0 when it has,
// WAIT_TIMEOUT when the time ran out, WAIT_FAILED at once for a null or
// unknown handle. `alertable` changes nothing: there are no APCs here.
// Waiting without limit on a thread that was never resumed never returns.
DWORD WaitForSingleObjectEx(HANDLE handle, DWORD milliseconds, BOOL alertable);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// GetExitCodeThread: the routine's result once it has returned; FALSE while
// it still runs (or never ran) and for a bad handle.
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// CloseHandle: releases a thread handle. A running thread goes on; a thread
// still held at its start gate is let go without running its routine.
// FALSE for a null or unknown handle.
BOOL CloseHandle(HANDLE handle);

// SwitchToThread: yields the processor (sched_yield); always TRUE.
BOOL SwitchToThread();
// Sleep: suspends the calling thread for at least `milliseconds`.
void Sleep(DWORD milliseconds);

// CRITICAL_SECTION: a recursive lock. Plain storage, as on Windows: it holds
// no lock until InitializeCriticalSection and none after DeleteCriticalSection.
// The thread that entered it n times must leave it n times.
struct CRITICAL_SECTION {
    alignas(std::recursive_mutex) unsigned char storage[sizeof(std::recursive_mutex)];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
// TryEnterCriticalSection: TRUE when the lock was taken without waiting.
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
// Must not be held by any thread when deleted.
void DeleteCriticalSection(LPCRITICAL_SECTION section);
