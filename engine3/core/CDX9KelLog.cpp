#include "engine3/core/CDX9KelLog.h"

#include "platform/os/Clock.h"
#include "platform/os/Paths.h"

#include <cstdlib>

namespace Vorna3D {

CDX9KelLog g_Log;

namespace {
const char* LevelColumn(int level) {
    switch (level) {
    case LOG_WARNING: return " | WARNING | ";
    case LOG_ERROR: return " | ERROR   | ";
    default: return " |         | ";
    }
}

void SummaryAtExit() { g_Log.EndSummary(); }

// A lock-free copy of the global log's counter for the crash filter.
std::atomic<DWORD> g_crashLineCounter{0};
static_assert(std::atomic<DWORD>::is_always_lock_free);
} // namespace

CDX9KelLog::~CDX9KelLog() { CloseFile(); }

void CDX9KelLog::Open(const char* path) {
    std::lock_guard<std::mutex> guard(m_lock);
    CloseFile();
    m_path = path ? path : "";
    m_summaryWritten = false;
    if (m_path.empty()) return;
    FILE* f = Platform::OpenFile(m_path, "wt");
    if (!f) return;
    std::fclose(f);
    PutLocked(LOG_INFO, "Begin\n");
    CloseFile();
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
    CloseFile();
}

void CDX9KelLog::WriteDebug(int channel, int level, const char* format, ...) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (channel < 0 || channel >= kChannelCount || !m_channels[channel]) return;
    va_list args;
    va_start(args, format);
    WriteLocked(level, format, args);
    va_end(args);
}

void CDX9KelLog::WriteLocked(int level, const char* format, va_list args) {
    if (m_path.empty() || !format) return;
    if (!OpenForAppend()) return;
    if (m_lineCounter == kCounterWrap) m_lineCounter = 0;
    if (level == LOG_INFO || level == LOG_WARNING || level == LOG_ERROR) {
        ++m_lineCounter;
        if (this == &g_Log) g_crashLineCounter.store(m_lineCounter, std::memory_order_relaxed);
        const std::string time = m_timeText ? m_timeText() : Platform::LocalTimeText();
        std::fprintf(m_pFile, "%s%u%s%s%s", "| ", m_lineCounter, " | ", time.c_str(), LevelColumn(level));
        if (level == LOG_WARNING) m_stdvWarningLines.push_back(m_lineCounter);
        if (level == LOG_ERROR) m_stdvErrorLines.push_back(m_lineCounter);
    }
    std::vfprintf(m_pFile, format, args);
}

void CDX9KelLog::PutLocked(int level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteLocked(level, format, args);
    va_end(args);
}

bool CDX9KelLog::OpenForAppend() {
    if (m_pFile) return true;
    m_pFile = Platform::OpenFile(m_path, "at");
    return m_pFile != nullptr;
}

void CDX9KelLog::CloseFile() {
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
}

void CDX9KelLog::SetChannel(int channel, bool on) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (channel >= 0 && channel < kChannelCount) m_channels[channel] = on;
}

bool CDX9KelLog::IsChannelOn(int channel) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return channel >= 0 && channel < kChannelCount && m_channels[channel];
}

void CDX9KelLog::EndSummary() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_summaryWritten) return;
    m_summaryWritten = true;
    PutLocked(LOG_INFO, "End\n");
    PutLocked(LOG_TEXT, "\n");
    PutLocked(LOG_TEXT, "%s%i%s", "ERRORS COUNT: ", static_cast<int>(m_stdvErrorLines.size()), "\n");
    PutLocked(LOG_TEXT, "ERRORS STRINGS: ");
    for (DWORD n : m_stdvErrorLines) PutLocked(LOG_TEXT, "%u%s", n, ", ");
    PutLocked(LOG_TEXT, "\n");
    PutLocked(LOG_TEXT, "%s%i%s", "WARNINGS COUNT: ", static_cast<int>(m_stdvWarningLines.size()), "\n");
    PutLocked(LOG_TEXT, "WARNINGS STRINGS: ");
    for (DWORD n : m_stdvWarningLines) PutLocked(LOG_TEXT, "%u%s", n, ", ");
    PutLocked(LOG_TEXT, "\n");
    CloseFile();
    m_stdvErrorLines.clear();
    m_stdvWarningLines.clear();
    m_path.clear();
}

void CDX9KelLog::RegisterExitSummary() {
    static bool registered = false;
    std::lock_guard<std::mutex> guard(m_lock);
    if (registered || this != &g_Log) return;
    registered = true;
    std::atexit(SummaryAtExit);
}

DWORD CDX9KelLog::CrashLineCounter() { return g_crashLineCounter.load(std::memory_order_relaxed); }

std::string CDX9KelLog::GetPath() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_path;
}

DWORD CDX9KelLog::GetLineCounter() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lineCounter;
}

std::vector<DWORD> CDX9KelLog::GetErrorLines() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_stdvErrorLines;
}

std::vector<DWORD> CDX9KelLog::GetWarningLines() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_stdvWarningLines;
}

void CDX9KelLog::SetTimeTextSource(TimeTextFn fn) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_timeText = fn;
}

void CDX9KelLog::SetLineCounter(DWORD counter) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_lineCounter = counter;
}

void CDX9KelLog::Reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    CloseFile();
    m_path.clear();
    m_lineCounter = 0;
    m_stdvErrorLines.clear();
    m_stdvWarningLines.clear();
    for (bool& c : m_channels) c = false;
    m_summaryWritten = false;
    m_timeText = nullptr;
}

} // namespace Vorna3D
