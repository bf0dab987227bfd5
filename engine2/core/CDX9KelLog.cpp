#include "engine2/core/CDX9KelLog.h"

#include "platform/os/Clock.h"
#include "engine2/core/CDX9KelUtils.h"
#include "platform/os/Paths.h"

#include <cstdlib>

namespace Vorna2 {

CDX9KelLog g_Log;

namespace {
// Runs before the static objects that existed when the log was first opened
// (the clock among them) are destroyed.
void CloseAtExit() { g_Log.Close(); }
} // namespace

CDX9KelLog::~CDX9KelLog() { Close(); }

void CDX9KelLog::Open() {
    std::string path;
    CDX9KelUtils::GetExeFolderPath(path, "VornaLog.log");
    Open(path);
}

void CDX9KelLog::Open(const std::string& path) {
    if (this == &g_Log) {
        static const bool registered = std::atexit(CloseAtExit) == 0;
        (void)registered;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_path = path;
    m_errorCount = 0;
    if (m_path.empty()) return;
    FILE* f = Platform::OpenFile(m_path, "wt");
    if (!f) return;
    std::fclose(f);
    PutLocked(LOG_INFO, "%s", "Begin\n");
}

void CDX9KelLog::Write(int level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteV(level, format, args);
    va_end(args);
}

void CDX9KelLog::WriteV(int level, const char* format, va_list args) {
    std::lock_guard<std::mutex> guard(m_lock);
    WriteLocked(level, format, args);
}

void CDX9KelLog::PutLocked(int level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLocked(level, format, args);
    va_end(args);
}

std::string CDX9KelLog::TimeText() const {
    if (m_timeText) return m_timeText();
    char buffer[CDX9KelUtils::kDateTimeSize];
    return CDX9KelUtils::GetDateTimeString(buffer);
}

void CDX9KelLog::WriteLocked(int level, const char* format, va_list args) {
    if (m_path.empty() || !format) return;
    FILE* f = Platform::OpenFile(m_path, "at");
    if (!f) return;
    if (level == LOG_ERROR) {
        ++m_errorCount;
    } else if (level != LOG_CONTINUE) {
        std::fprintf(f, "%s%s", TimeText().c_str(), " ");
        if (level != LOG_INFO) ++m_errorCount;
    }
    if (m_copy) std::fprintf(m_copy, "%s%s", TimeText().c_str(), " ");
    va_list copy;
    va_copy(copy, args);
    std::vfprintf(f, format, args);
    if (m_copy) {
        std::vfprintf(m_copy, format, copy);
        std::fflush(m_copy);
    }
    va_end(copy);
    std::fclose(f);
}

void CDX9KelLog::Close() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_path.empty()) return;
    if (m_errorCount != 0) PutLocked(LOG_CONTINUE, "%s%d%s", "All Errors:\n ", m_errorCount, "\n");
    PutLocked(LOG_INFO, "%s", "End\n");
    m_path.clear();
}

std::string CDX9KelLog::GetPath() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_path;
}

int CDX9KelLog::GetErrorCount() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_errorCount;
}

void CDX9KelLog::SetTimeTextSource(TimeTextFn fn) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_timeText = fn;
}

void CDX9KelLog::SetCopyStream(FILE* stream) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_copy = stream;
}

void CDX9KelLog::Reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_path.clear();
    m_errorCount = 0;
    m_timeText = nullptr;
    m_copy = stderr;
}

} // namespace Vorna2
