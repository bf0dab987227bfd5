#include "engine2/core/CDX9KelUtils.h"

#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"
#include "platform/window/RepeatGate.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace Vorna2 {

CDX9KelUtils g_Utils;

namespace {

constexpr std::size_t kMaxText = CDX9KelUtils::kPathSize - 1;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

void CutToPath(std::string& s) {
    if (s.size() > kMaxText) s.resize(kMaxText);
}

// One uniform value of the secure source, or 0 when it fails.
std::uint32_t SecureRandom() {
    unsigned int value = 0;
    if (rand_s(&value) != 0) return 0;
    return value;
}

} // namespace

CDX9KelUtils::CDX9KelUtils() {
    m_dwStartTime = timeGetTime();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

bool CDX9KelUtils::GetExeFolderPath(std::string& out, const char* name) {
    out.clear();
    char module[kPathSize] = {};
    const DWORD length = GetModuleFileNameA(nullptr, module, kPathSize);
    if (length == 0) return false;
    std::string path(module, length);
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
    path.resize(cut);
    if (name) path += name;
    CutToPath(path);
    out = path;
    return true;
}

bool CDX9KelUtils::SplitExeFolderPath(const char* name, std::string* fullPath, std::string* folder,
                                      std::string* fileName) {
    if (fullPath) fullPath->clear();
    if (folder) folder->clear();
    if (fileName) fileName->clear();
    if (!name) return false;
    std::string full;
    if (!GetExeFolderPath(full, name)) return false;
    std::size_t last = full.size();
    while (last > 0 && !IsSeparator(full[last - 1])) --last;
    if (fullPath) *fullPath = full;
    if (fileName) *fileName = full.substr(last);
    if (folder) {
        // The folder ends with the separator it was cut at.
        *folder = full.substr(0, last > 0 ? last - 1 : 0) + (last > 0 ? std::string(1, full[last - 1]) : "/");
        CutToPath(*folder);
    }
    return true;
}

bool CDX9KelUtils::GetIdenticalString(const char* a, const char* b) {
    if (!a || !b) return false;
    const std::size_t la = strnlen(a, kPathSize), lb = strnlen(b, kPathSize);
    return la == lb && std::memcmp(a, b, la) == 0;
}

bool CDX9KelUtils::GetFileNameWithoutExtension(std::string& out, const char* name) {
    out.clear();
    if (!name) return true;
    const char* dot = std::strrchr(name, '.');
    if (dot) out.assign(name, static_cast<std::size_t>(dot - name));
    CutToPath(out);
    return true;
}

bool CDX9KelUtils::GetFileExtension(std::string& out, const char* name) {
    out.clear();
    if (!name) return false;
    const char* dot = std::strrchr(name, '.');
    if (!dot) return false;
    out = dot + 1;
    CutToPath(out);
    return true;
}

bool CDX9KelUtils::ReplaceUnderscores(char* text) {
    if (!text) return false;
    for (char* p = text; *p; ++p)
        if (*p == '_') *p = ' ';
    return true;
}

char* CDX9KelUtils::GetDateTimeString(char* buffer) {
    std::string text = Platform::LocalTimeText();
    // The day of the month is written with two digits ("Dec 09").
    if (text.size() > 8 && text[8] == ' ') text[8] = '0';
    std::snprintf(buffer, kDateTimeSize, "%s", text.c_str());
    return buffer;
}

const char* CDX9KelUtils::GetDateTimeString() { return GetDateTimeString(m_szDateTime); }

bool CDX9KelUtils::IsTimePassedOn(DWORD& stamp, DWORD intervalMs) { return Platform::PassRepeatGate(stamp, intervalMs); }

bool CDX9KelUtils::IsTimePassed(DWORD intervalMs) { return IsTimePassedOn(m_dwTimeStamp, intervalMs); }

bool CDX9KelUtils::IsTimePassed2(DWORD intervalMs) { return IsTimePassedOn(m_dwTimeStamp2, intervalMs); }

int CDX9KelUtils::GetRandomInt(int n) {
    // A modulo by zero would end the program; no value is drawn then.
    if (n <= 0) return 0;
    return static_cast<int>(SecureRandom() % static_cast<std::uint32_t>(n));
}

float CDX9KelUtils::GetRandomFloat(float a, float b) {
    const double r = static_cast<double>(SecureRandom()) / 4294967296.0;
    const float value = static_cast<float>(a + (b - a) * r);
    // Rounding to float may reach b for values just below 1; keep [a, b).
    return (a < b && value >= b) ? std::nextafter(b, a) : value;
}

namespace {

std::uint32_t g_effectRandom = 0x9E3779B9u;

std::uint32_t EffectRandom() {
    std::uint32_t x = g_effectRandom;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    g_effectRandom = x;
    return x;
}

} // namespace

void CDX9KelUtils::SeedEffectRandom(std::uint32_t seed) { g_effectRandom = seed ? seed : 0x9E3779B9u; }

float CDX9KelUtils::GetEffectRandomFloat(float a, float b) {
    const double r = static_cast<double>(EffectRandom()) / 4294967296.0;
    const float value = static_cast<float>(a + (b - a) * r);
    return (a < b && value >= b) ? std::nextafter(b, a) : value;
}

D3DXVECTOR3 CDX9KelUtils::GetEffectRandomUnitVector() {
    const float z = GetEffectRandomFloat(0.0f, 1.0f) * 2.0f - 1.0f;
    const float r = std::sqrt(std::fmax(0.0f, 1.0f - z * z));
    const float angle = GetEffectRandomFloat(0.0f, 1.0f) * 6.2831855f - 3.1415927f;
    return D3DXVECTOR3(r * std::cos(angle), r * std::sin(angle), z);
}

D3DXVECTOR3 CDX9KelUtils::GetRandomUnitVector() {
    const float z = GetRandomFloat(0.0f, 1.0f) * 2.0f - 1.0f;
    const float r = std::sqrt(std::fmax(0.0f, 1.0f - z * z));
    const float angle = GetRandomFloat(0.0f, 1.0f) * 6.2831855f - 3.1415927f;
    return D3DXVECTOR3(r * std::cos(angle), r * std::sin(angle), z);
}

FRECT CDX9KelUtils::GetRectFromPercents(const FRECT& parent, float left, float top, float right, float bottom) {
    FRECT out;
    const float spanX = right - left, spanY = bottom - top;
    if (spanX < 0.0f || spanX > 100.0f || spanY < 0.0f || spanY > 100.0f) return out;
    const float w = parent.right - parent.left, h = parent.bottom - parent.top;
    out.left = parent.left + std::trunc(left * w / 100.0f);
    out.right = parent.left + std::trunc(right * w / 100.0f);
    out.top = parent.top + std::trunc(top * h / 100.0f);
    out.bottom = parent.top + std::trunc(bottom * h / 100.0f);
    return out;
}

RECT CDX9KelUtils::GetRectFromIntPercents(const RECT& parent, float left, float top, float right, float bottom) {
    RECT out{0, 0, 0, 0};
    const float spanX = right - left, spanY = bottom - top;
    if (spanX < 0.0f || spanX > 100.0f || spanY < 0.0f || spanY > 100.0f) return out;
    const float w = static_cast<float>(parent.right - parent.left);
    const float h = static_cast<float>(parent.bottom - parent.top);
    auto edge = [](LONG base, float pct, float span) {
        const double v = std::trunc(static_cast<double>(pct) * span / 100.0);
        // Absurd percentages must not overflow the conversion.
        const double clamped = std::fmax(-2147483648.0, std::fmin(2147483647.0, v));
        return static_cast<LONG>(base + static_cast<LONG>(clamped));
    };
    out.left = edge(parent.left, left, w);
    out.right = edge(parent.left, right, w);
    out.top = edge(parent.top, top, h);
    out.bottom = edge(parent.top, bottom, h);
    return out;
}

void CDX9KelUtils::SolveQuadraticEquation(float a, float b, float c, float* x1, float* x2) {
    float r1 = kNoRootX1, r2 = kNoRootX2;
    if (a == 0.0f) {
        if (b != 0.0f) r1 = r2 = -c / b;
    } else {
        const float d = b * b - 4.0f * a * c;
        if (d >= 0.0f) {
            const float s = std::sqrt(d);
            r1 = (s - b) / (2.0f * a);
            r2 = (-b - s) / (2.0f * a);
        }
    }
    if (x1) *x1 = r1;
    if (x2) *x2 = r2;
}

bool CDX9KelUtils::CheckMemory() {
    const char* text = nullptr;
    bool result = true;
    switch (_heapchk()) {
    case _HEAPOK: text = "CDX9KelUtils::CheckMemory : heap is fine ____ "; break;
    case _HEAPEMPTY: text = "CDX9KelUtils::CheckMemory : heap is empty ____ "; result = false; break;
    case _HEAPBADBEGIN: text = "CDX9KelUtils::CheckMemory : bad start of heap ____ "; result = false; break;
    case _HEAPBADNODE: text = "CDX9KelUtils::CheckMemory : bad node in heap ____ "; result = false; break;
    default: break;
    }
    if (text) g_Log.Write(LOG_CONTINUE, "%s%s%s", text, "", "\n");
    return result;
}

void TranslateMatrix(const D3DXVECTOR3* v, D3DXMATRIX* m) {
    if (!v || !m) return;
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, v->x, v->y, v->z);
    D3DXMatrixMultiply(m, m, &t);
}

} // namespace Vorna2
