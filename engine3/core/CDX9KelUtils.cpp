#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/CDX9KelLog.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"
#include "platform/window/RepeatGate.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace Vorna3D {

CDX9KelUtils g_Utils;

namespace {

// The length of `text` counted up to `max` characters.
std::size_t BoundedLength(const char* text, std::size_t max) {
    std::size_t n = 0;
    while (n < max && text[n]) ++n;
    return n;
}

std::size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

// The program's folder with its trailing separator; empty when unreadable.
std::string ExeFolder() {
    char module[4096];
    const DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    if (n == 0) return std::string();
    std::string path(module, n);
    const std::size_t sep = LastSeparator(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

// A float edge as an integer, truncated; out-of-range values saturate.
LONG TruncToLong(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0f) return 2147483647;
    if (v <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<LONG>(v);
}

} // namespace

CDX9KelUtils::CDX9KelUtils() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    m_dwStartTime = timeGetTime();
}

bool CDX9KelUtils::GetExeFolderPath(const char* name, char* out) const {
    if (!out) return false;
    const std::string relative = name ? name : ""; // `name` may be `out`
    const std::string folder = ExeFolder();
    out[0] = '\0';
    if (folder.empty()) return false;
    CopyPath(out, folder.c_str());
    AppendPath(out, relative.c_str());
    return true;
}

std::string CDX9KelUtils::GetExeFolderPathString(const char* name) const {
    const std::string folder = ExeFolder();
    return folder.empty() ? folder : folder + (name ? name : "");
}

bool CDX9KelUtils::SplitExeFolderPathString(const char* relativeName, std::string& folder,
                                            std::string& fileName) const {
    folder.clear();
    fileName.clear();
    if (!relativeName) return false;
    const std::string full = GetExeFolderPathString(relativeName);
    if (full.empty()) return false;
    const std::size_t sep = LastSeparator(full);
    folder = full.substr(0, sep + 1);
    fileName = full.substr(sep + 1);
    return true;
}

bool CDX9KelUtils::SplitExeFolderPath(const char* relativeName, char* folder, char* fileName) const {
    if (folder) folder[0] = '\0';
    if (fileName) fileName[0] = '\0';
    std::string f, n;
    if (!SplitExeFolderPathString(relativeName, f, n)) return false;
    if (folder) CopyPath(folder, f.c_str());
    if (fileName) CopyPath(fileName, n.c_str());
    return true;
}

std::string CDX9KelUtils::GetFolderFromPath(const char* path) {
    const std::string p = path ? path : "";
    const std::size_t sep = LastSeparator(p);
    return sep == std::string::npos ? p + "/" : p.substr(0, sep + 1);
}

bool CDX9KelUtils::AppendPath(char* buffer, const char* name, std::size_t size) {
    if (!buffer || size == 0) return false;
    const std::size_t have = BoundedLength(buffer, size - 1);
    buffer[have] = '\0';
    if (!name) return true;
    const std::size_t add = std::strlen(name);
    const std::size_t room = size - 1 - have;
    const std::size_t n = add < room ? add : room;
    std::memmove(buffer + have, name, n);
    buffer[have + n] = '\0';
    return n == add;
}

bool CDX9KelUtils::CopyPath(char* buffer, const char* text, std::size_t size) {
    if (!buffer || size == 0) return false;
    buffer[0] = '\0';
    return AppendPath(buffer, text, size);
}

bool CDX9KelUtils::GetIdenticalString(const char* a, const char* b) {
    if (!a || !b) return false;
    const std::size_t na = BoundedLength(a, kPathSize), nb = BoundedLength(b, kPathSize);
    return na == nb && std::memcmp(a, b, na) == 0;
}

bool CDX9KelUtils::GetFileNameWithoutExtension(const char* name, std::string& out) {
    out.clear();
    if (!name || !*name) return false;
    const char* dot = std::strrchr(name, '.');
    if (dot) out.assign(name, dot);
    return true;
}

bool CDX9KelUtils::GetNameBeforeDot(const char* text, std::string& out) {
    out.clear();
    if (!text || !*text) return false;
    const char* dot = std::strchr(text, '.');
    out = dot ? std::string(text, dot) : std::string(text);
    return true;
}

bool CDX9KelUtils::GetFileExtension(const char* text, std::string& out) {
    out.clear();
    if (!text || !*text) return false;
    const char* dot = std::strrchr(text, '.');
    out = dot ? std::string(dot + 1) : std::string(text);
    return true;
}

void CDX9KelUtils::ReplaceChar(char* text, char from, char to) {
    if (!text) return;
    for (; *text; ++text)
        if (*text == from) *text = to;
}

void CDX9KelUtils::ReplaceChar(std::string& text, char from, char to) {
    for (char& c : text)
        if (c == from) c = to;
}

char* CDX9KelUtils::GetDateTimeString(char* buffer) {
    if (!buffer) return buffer;
    CopyPath(buffer, Platform::LocalTimeText().c_str(), 26);
    return buffer;
}

RECT CDX9KelUtils::GetRectFromPercents(LONG parentLeft, LONG parentTop, LONG parentRight, LONG parentBottom,
                                       float left, float top, float right, float bottom) {
    RECT r{0, 0, 0, 0};
    const float spanX = right - left, spanY = bottom - top;
    if (!(spanX >= 0.0f && spanX <= 100.0f && spanY >= 0.0f && spanY <= 100.0f)) return r;
    const float w = static_cast<float>(parentRight) - static_cast<float>(parentLeft);
    const float h = static_cast<float>(parentBottom) - static_cast<float>(parentTop);
    r.left = parentLeft + TruncToLong(left * w / 100.0f);
    r.right = parentLeft + TruncToLong(right * w / 100.0f);
    r.top = parentTop + TruncToLong(top * h / 100.0f);
    r.bottom = parentTop + TruncToLong(bottom * h / 100.0f);
    return r;
}

bool CDX9KelUtils::IsTimePassed(DWORD interval) { return Platform::PassRepeatGate(m_dwTimeStamp, interval); }

bool CDX9KelUtils::IsTenMsPassed() {
    const DWORD now = timeGetTime();
    if (m_dwTenMsStamp == 0) {
        m_dwTenMsStamp = now;
        return false;
    }
    if (now - m_dwTenMsStamp > kTenMs) {
        m_dwTenMsStamp = 0;
        return true;
    }
    return false;
}

unsigned CDX9KelUtils::GetRandomInt(unsigned n) {
    if (n == 0) return 0;
    unsigned v = 0;
    rand_s(&v);
    return v % n;
}

float CDX9KelUtils::GetRandomFloat(float a, float b) {
    unsigned v = 0;
    rand_s(&v);
    const double r = static_cast<double>(v) / 4294967296.0;
    const float f = static_cast<float>(static_cast<double>(a) + (static_cast<double>(b) - a) * r);
    // Rounding to float must not reach b itself.
    if (a < b && f >= b) return std::nextafter(b, a);
    return f;
}

bool CDX9KelUtils::IsEqual(float a, float b, float eps) {
    const float e = std::fabs(eps);
    return b - e <= a && a <= b + e;
}

float CDX9KelUtils::Sign(float x) {
    if (IsEqual(x, 0.0f, 0.0001f)) return 0.0f;
    return x > 0.0f ? 1.0f : -1.0f;
}

int CDX9KelUtils::SolveQuadratic(float a, float b, float c, float* x1, float* x2) {
    if (a == 0.0f) {
        if (b == 0.0f) return 0; // no equation left to solve
        const float root = -c / b;
        if (x1) *x1 = root;
        if (x2) *x2 = root;
        return 1;
    }
    const float d = b * b - 4.0f * a * c;
    if (d < 0.0f) return 0;
    const float s = std::sqrt(d);
    if (x1) *x1 = (s - b) / (2.0f * a);
    if (x2) *x2 = (-b - s) / (2.0f * a);
    return d < 0.0001f ? 1 : 2;
}

bool CDX9KelUtils::CheckMemory() {
    const char* verdict = nullptr;
    bool fine = true;
    switch (_heapchk()) {
    case _HEAPOK: verdict = "CDX9KelUtils::CheckMemory : heap is fine ____ "; break;
    case _HEAPEMPTY: verdict = "CDX9KelUtils::CheckMemory : heap is empty ____ "; fine = false; break;
    case _HEAPBADBEGIN: verdict = "CDX9KelUtils::CheckMemory : bad start of heap ____ "; fine = false; break;
    case _HEAPBADNODE: verdict = "CDX9KelUtils::CheckMemory : bad node in heap ____ "; fine = false; break;
    default: break;
    }
    if (verdict) g_Log.Write(LOG_INFO, "%s%s%s", verdict, "", "\n");
    return fine;
}

} // namespace Vorna3D
