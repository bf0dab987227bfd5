#pragma once
// The crash filter: a fatal fault (invalid memory access, stack overflow,
// illegal instruction, arithmetic fault, trap) writes one error line into the
// log file and ends the process at once, without the log's end summary and
// without any exit handler. The line is written with async-signal-safe calls
// only and on an alternate signal stack, so a stack overflow is reported too.
#include "platform/os/WinTypes.h"

#include <cstddef>
#include <cstdint>

#define SEM_FAILCRITICALERRORS 0x0001u
#define SEM_NOGPFAULTERRORBOX 0x0002u

// SetErrorMode: records the mode and returns the previous one; it changes
// nothing else (no system error dialogs exist here).
UINT SetErrorMode(UINT mode);

namespace Platform {

// Supplies the number of the log line the crash line will carry: the log's
// line counter as it stands. Called inside the signal handler, so it must
// neither lock nor allocate (read an atomic).
using CrashLineCounterFn = DWORD (*)();

// Installs the crash filter for the process. `logPath` (copied; at most 4095
// bytes; '\' or '/', mended like any path) is the log file the line is
// appended to; empty or null writes nothing. The line has the log's error-line form:
//   "| " n " | " <ctime text> " | ERROR   | " <name text> <pc in lower-case hex> "\n"
// with n = counter + 1 (after 4294967294 comes 1, as in the log), and the
// name text e.g. "EXCEPTION_ACCESS_VIOLATION : 0x ". Without a counter
// source the line is numbered 0. The process then ends with _exit(128 +
// signal number). Installing again replaces the path and the source. Also
// gives the calling thread an alternate signal stack.
void InstallCrashFilter(const char* logPath, CrashLineCounterFn lineCounter);
// The campaign engine's form of the filter: only an invalid memory access, an
// in-page error (SIGBUS other than misalignment), an integer division by zero
// and a stack overflow write a line, "EXCEPTION : 0x " <pc in lower-case hex>
// "\n", appended to `logPath` (same rules as above); every fatal fault ends
// the process with _exit(128 + signal number).
void InstallPlainCrashFilter(const char* logPath);
// Whether the plain form writes a line for a fatal signal and its si_code.
bool PlainCrashLogged(int signalNumber, int signalCode);
// Formats the plain line; returns its length. Async-signal-safe.
std::size_t FormatPlainCrashLine(char* out, std::size_t size, std::uintptr_t address);
// Restores the default actions of the fatal signals.
void RemoveCrashFilter();

// The name text for a fatal signal and its si_code, e.g.
// (SIGFPE, FPE_INTDIV) -> "EXCEPTION_INT_DIVIDE_BY_ZERO : 0x ". A SIGSEGV
// flagged as a stack overflow gives "EXCEPTION_STACK_OVERFLOW : 0x ".
// Null for a signal the filter does not handle.
const char* CrashExceptionText(int signalNumber, int signalCode, bool stackOverflow);

// Formats the crash line for the given values into `out` (at most `size`
// bytes, no terminator needed); returns its length. Async-signal-safe.
std::size_t FormatCrashLine(char* out, std::size_t size, DWORD lineNumber, long long localSeconds,
                            const char* text, std::uintptr_t address);

// Gives the current thread an alternate signal stack for its lifetime (a
// thread already having one keeps it). Threads from CreateThread get one.
class ScopedAlternateSignalStack {
public:
    ScopedAlternateSignalStack();
    ~ScopedAlternateSignalStack();
    ScopedAlternateSignalStack(const ScopedAlternateSignalStack&) = delete;
    ScopedAlternateSignalStack& operator=(const ScopedAlternateSignalStack&) = delete;

private:
    void* m_stack = nullptr;
};

} // namespace Platform
