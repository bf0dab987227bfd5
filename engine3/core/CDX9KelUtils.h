#pragma once
// Small services every subsystem shares: paths under the program's folder,
// file-name tests, bounded path texts, the date text of logs and save
// headers, interval gates on the millisecond clock, random numbers, float
// comparison with a tolerance and the heap check.
#include "platform/os/WinTypes.h"

#include <cstddef>
#include <string>

namespace Vorna3D {

class CDX9KelUtils {
public:
    // Room of a path text, terminator included; longer results are cut.
    static constexpr std::size_t kPathSize = MAX_PATH;
    static constexpr DWORD kTenMs = 10;

    // Seeds the C library's generator with the time and notes the start time.
    CDX9KelUtils();

    // ---- paths ----
    // out (kPathSize characters) := the program's folder with its trailing
    // separator + name, cut to fit. `name` may be `out` itself. False only
    // when the program's file name cannot be read (out is then empty).
    bool GetExeFolderPath(const char* name, char* out) const;
    // The program's folder with its trailing separator + name; empty when the
    // program's file name cannot be read.
    std::string GetExeFolderPathString(const char* name) const;
    // For a path relative to the program's folder: folder := program folder +
    // the path up to its last separator (with it), fileName := the part after
    // it. Either output may be null (kPathSize characters each). False for a
    // null name or when the program's folder cannot be read.
    bool SplitExeFolderPath(const char* relativeName, char* folder, char* fileName) const;
    bool SplitExeFolderPathString(const char* relativeName, std::string& folder, std::string& fileName) const;
    // The part of `path` before its last separator ('\' or '/'), with that
    // separator; the whole path plus '/' when it has none.
    static std::string GetFolderFromPath(const char* path);
    // Appends `name` to the text in `buffer` (of `size` characters); a result
    // that does not fit is cut to size - 1 characters. False when cut.
    static bool AppendPath(char* buffer, const char* name, std::size_t size = kPathSize);
    // Copies `text` into `buffer`, cut to size - 1 characters. False when cut.
    static bool CopyPath(char* buffer, const char* text, std::size_t size = kPathSize);

    // ---- texts ----
    // Exact, case-sensitive equality, each text measured up to 260
    // characters; false when either is null; two empty texts are equal.
    static bool GetIdenticalString(const char* a, const char* b);
    // out := name up to (not including) its last '.'; empty when the name
    // has none. False (out empty) for a null or empty name.
    static bool GetFileNameWithoutExtension(const char* name, std::string& out);
    // out := text up to its first '.' (all of it without one). False (out
    // empty) for a null or empty text.
    static bool GetNameBeforeDot(const char* text, std::string& out);
    // out := the part after the last '.' (all of it without one). False (out
    // empty) for a null or empty text.
    static bool GetFileExtension(const char* text, std::string& out);
    // Replaces every `from` by `to`.
    static void ReplaceChar(char* text, char from, char to);
    static void ReplaceChar(std::string& text, char from, char to);
    // buffer (at least 26 characters) := the local date and time in the C
    // library's ctime form without its line end, e.g. "Thu Dec 10 12:45:56
    // 2026"; returns buffer.
    static char* GetDateTimeString(char* buffer);
    // The rectangle at the given percentages of the parent: each edge =
    // parent edge + trunc(percent x parent span / 100). The zero rectangle
    // when right% - left% or bottom% - top% lies outside [0, 100].
    static RECT GetRectFromPercents(LONG parentLeft, LONG parentTop, LONG parentRight, LONG parentBottom,
                                    float left, float top, float right, float bottom);

    // ---- clock gates (main thread) ----
    // Not armed: arms it and returns true. Armed: returns false, and disarms
    // it when more than `interval` ms have passed, so the call after that
    // returns true again. One stamp shared by every caller.
    bool IsTimePassed(DWORD interval);
    // Not armed: arms it and returns false. Armed: true (and disarmed) once
    // more than 10 ms have passed, else false.
    bool IsTenMsPassed();
    // The millisecond time noted at construction.
    DWORD GetStartTime() const { return m_dwStartTime; }

    // ---- numbers ----
    // A random value in [0, n); 0 when n is 0 (no random value is drawn).
    static unsigned GetRandomInt(unsigned n);
    // a + (b - a) x r with r a random value / 2^32, so in [a, b) for a < b.
    static float GetRandomFloat(float a, float b);
    // b - |eps| <= a <= b + |eps|.
    static bool IsEqual(float a, float b, float eps);
    // 0 when x is 0 within 0.0001, else 1 or -1.
    static float Sign(float x);
    // Real roots of a x^2 + b x + c = 0; returns how many (0, 1 or 2).
    // a = 0: the linear root -c / b in both outputs (1), none when b = 0 too.
    // A negative discriminant gives 0 and leaves the outputs untouched; one
    // below 0.0001 counts as one root (both outputs written).
    static int SolveQuadratic(float a, float b, float c, float* x1, float* x2);
    // Runs the heap check and logs its verdict; false when the heap is empty
    // or damaged.
    static bool CheckMemory();

private:
    DWORD m_dwTimeStamp = 0;  // interval gate, 0 = not armed
    DWORD m_dwTenMsStamp = 0; // 10 ms gate, 0 = not armed
    DWORD m_dwStartTime = 0;
};

// The one utilities object of the program.
extern CDX9KelUtils g_Utils;

} // namespace Vorna3D
