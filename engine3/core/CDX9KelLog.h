#pragma once
// The program's text log "Vorna3Log.log". Lines of the levels info (0),
// warning (2) and error (3) carry a running number, the local time and a
// level column; level 1 (and any other level) appends raw text. The numbers of
// warning and error lines are remembered and listed by EndSummary at exit.
// Every write opens the file for appending and closes it again, so the log is
// complete up to the last line whatever happens to the process. All entries
// take one lock: the sound thread logs too.
#include "platform/os/WinTypes.h"

#include <cstdarg>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace Vorna3D {

enum ELogLevel { LOG_INFO = 0, LOG_TEXT = 1, LOG_WARNING = 2, LOG_ERROR = 3 };

class CDX9KelLog {
public:
    static constexpr int kChannelCount = 10;
    static constexpr DWORD kCounterWrap = 4294967294u;
    // Supplies the time text of a numbered line; the default is the local time
    // in the C library's ctime form.
    using TimeTextFn = std::string (*)();

    constexpr CDX9KelLog() = default;
    ~CDX9KelLog();
    CDX9KelLog(const CDX9KelLog&) = delete;
    CDX9KelLog& operator=(const CDX9KelLog&) = delete;

    // Stores the path, truncates the file and writes "Begin". When the file
    // cannot be created nothing is written now; later writes still try.
    void Open(const char* path);
    // printf-style. Messages carrying data from files go through "%s".
    void Write(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void WriteV(int level, const char* format, va_list args);
    // As Write, only for a debug channel (0-9) that is on; leaves the file open
    // until the next Write.
    void WriteDebug(int channel, int level, const char* format, ...) __attribute__((format(printf, 4, 5)));
    void SetChannel(int channel, bool on);
    bool IsChannelOn(int channel) const;
    // "End", then the error and warning counts with their line numbers.
    // Runs once; later calls do nothing until the next Open.
    void EndSummary();
    // Registers EndSummary to run at process exit (once per process).
    void RegisterExitSummary();

    // The line counter as last written, read without the lock: safe inside a
    // signal handler (the crash filter numbers its line from it).
    static DWORD CrashLineCounter();

    std::string GetPath() const;
    DWORD GetLineCounter() const;
    std::vector<DWORD> GetErrorLines() const;
    std::vector<DWORD> GetWarningLines() const;

    // For tests: replace the time text, or set the counter.
    void SetTimeTextSource(TimeTextFn fn);
    void SetLineCounter(DWORD counter);
    // Back to the constructed state (no path, counter 0, channels off).
    void Reset();

private:
    void WriteLocked(int level, const char* format, va_list args);
    void PutLocked(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    bool OpenForAppend();
    void CloseFile();

    mutable std::mutex m_lock;
    FILE* m_pFile = nullptr;
    std::string m_path;
    DWORD m_lineCounter = 0;
    std::vector<DWORD> m_stdvErrorLines;
    std::vector<DWORD> m_stdvWarningLines;
    bool m_channels[kChannelCount] = {};
    bool m_summaryWritten = false;
    TimeTextFn m_timeText = nullptr;
};

// The one log of the program.
extern CDX9KelLog g_Log;

} // namespace Vorna3D
