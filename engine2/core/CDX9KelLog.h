#pragma once
// The campaign's text log "VornaLog.log" beside the program. The level of a
// message decides its time stamp and whether it counts as an error:
//   -1  error, no stamp        5  continuation text ("OK\n"), no stamp
//    7  stamped information    any other level: stamped and counted as error
// Every message is copied to the standard error stream after a fresh stamp.
// The file is opened for appending and closed again around every message,
// so a crash loses at most the message being written. Close (run at program
// exit for the program's log, once it was opened) writes the error count,
// when there were errors, and "End".
//
// Data (file names, texts from files) is never passed as the format: write
// it as an argument of "%s".
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace Vorna2 {

enum ELogLevel {
    LOG_ERROR = -1,    // counted, no stamp
    LOG_CONTINUE = 5,  // plain text, completes an opened line
    LOG_INFO = 7,      // stamped, not counted
    LOG_FAILURE = 10,  // stamped and counted (any level other than -1, 5, 7)
};

class CDX9KelLog {
public:
    // Supplies the time stamp text; the default is the local time in the C
    // library's ctime form without its newline.
    using TimeTextFn = std::string (*)();

    CDX9KelLog() = default;
    ~CDX9KelLog();
    CDX9KelLog(const CDX9KelLog&) = delete;
    CDX9KelLog& operator=(const CDX9KelLog&) = delete;

    // Opens "VornaLog.log" in the program's folder.
    void Open();
    // Opens the given file: truncates it and writes "Begin". When the file
    // cannot be created the path is kept and later writes fail silently.
    void Open(const std::string& path);
    void Write(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void WriteV(int level, const char* format, va_list args);
    // The error summary (when errors were counted) and "End"; the log is
    // closed afterwards and drops further messages until the next Open.
    void Close();

    std::string GetPath() const;
    int GetErrorCount() const;

    // For tests: the stamp source (null restores the local time) and the
    // stream that receives the copy of every message (null: no copy;
    // stderr by default).
    void SetTimeTextSource(TimeTextFn fn);
    void SetCopyStream(FILE* stream);
    // Back to the constructed state, without writing anything.
    void Reset();

private:
    void WriteLocked(int level, const char* format, va_list args);
    void PutLocked(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    std::string TimeText() const;

    mutable std::mutex m_lock;
    std::string m_path;
    int m_errorCount = 0;
    TimeTextFn m_timeText = nullptr;
    FILE* m_copy = stderr;
};

// The one log of the campaign program.
extern CDX9KelLog g_Log;

} // namespace Vorna2
