#pragma once
// Small services of the whole campaign: paths under the program's folder,
// name and extension handling, two interval gates on the millisecond clock,
// random numbers from the secure source, the date text of the log,
// rectangles from percentages, a quadratic solver and the heap check.
#include "platform/math/d3dx9math.h"

#include <cstdint>
#include "platform/os/WinTypes.h"

#include <cstddef>
#include <string>

namespace Vorna2 {

// A rectangle of floats, as the GUI's percent layouts use it.
struct FRECT {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

class CDX9KelUtils {
public:
    // Room of a path text, terminator included; longer texts are cut.
    static constexpr std::size_t kPathSize = MAX_PATH;
    static constexpr std::size_t kDateTimeSize = 26;
    // The "no real root" answer of SolveQuadraticEquation.
    static constexpr float kNoRootX1 = 0.999f;
    static constexpr float kNoRootX2 = 999.0f;

    // Notes the start time and seeds the C library's generator.
    CDX9KelUtils();

    // ---- paths ----
    // out := the program's folder (with its trailing separator) + name, cut
    // to 259 characters. A name beginning with a separator gives a doubled
    // one, which the file system accepts. False (out empty) when the
    // program's file name cannot be read.
    static bool GetExeFolderPath(std::string& out, const char* name);
    // fullPath := GetExeFolderPath(name); fileName := the part after its last
    // separator; folder := the part before it, with a separator appended.
    // Every output is optional and emptied first. False for a null name or
    // when the program's folder cannot be read.
    static bool SplitExeFolderPath(const char* name, std::string* fullPath, std::string* folder,
                                   std::string* fileName);

    // ---- texts ----
    // Same length (each counted up to 260 characters) and same bytes;
    // case-sensitive. False when either is null.
    static bool GetIdenticalString(const char* a, const char* b);
    // out := name without the part from its last '.' on; empty when the name
    // has no '.'. Always true (a null name gives an empty result).
    static bool GetFileNameWithoutExtension(std::string& out, const char* name);
    // out := the text after the last '.'; false (out empty) without a '.'.
    static bool GetFileExtension(std::string& out, const char* name);
    // Every '_' becomes a blank, in place. True (false for null).
    static bool ReplaceUnderscores(char* text);
    // buffer (at least 26 characters) := the local time in the C library's
    // ctime form without its newline ("Wed Dec 09 08:40:47 2026"); returns it.
    static char* GetDateTimeString(char* buffer);
    // The date text in the utilities' shared buffer.
    const char* GetDateTimeString();

    // ---- interval gates ----
    // Free stamp: arm it with the current time and return true. Armed:
    // return false, and free it once stamp + interval is below the current
    // time. A caller asking every frame gets true at most once per interval.
    bool IsTimePassed(DWORD intervalMs);
    // The same on a second stamp.
    bool IsTimePassed2(DWORD intervalMs);
    // The shared gate on a caller's own stamp.
    static bool IsTimePassedOn(DWORD& stamp, DWORD intervalMs);
    DWORD GetStartTime() const { return m_dwStartTime; }
    // The stamps of the two gates (0: free), for a saved game that goes on
    // with its gates where they were.
    DWORD GetGateStamp(int gate) const { return gate == 0 ? m_dwTimeStamp : m_dwTimeStamp2; }
    void SetGateStamp(int gate, DWORD stamp) { (gate == 0 ? m_dwTimeStamp : m_dwTimeStamp2) = stamp; }

    // ---- numbers ----
    // One secure random value modulo n; 0 (and no value drawn) for n <= 0.
    static int GetRandomInt(int n);
    // a + (b - a) x value / 2^32, so within [a, b).
    static float GetRandomFloat(float a, float b);
    // A random direction of length 1.
    static D3DXVECTOR3 GetRandomUnitVector();
    // The draws of the visual effects (particles) come from a stream of
    // their own, started from one draw of the random source, so the game's
    // draws never depend on how many particles happen to be alive.
    static void SeedEffectRandom(std::uint32_t seed);
    static float GetEffectRandomFloat(float a, float b);
    static D3DXVECTOR3 GetEffectRandomUnitVector();
    // Edges = parent edge + trunc(percent x parent span / 100); all zero when
    // right% - left% or bottom% - top% is negative or above 100.
    static FRECT GetRectFromPercents(const FRECT& parent, float left, float top, float right, float bottom);
    static RECT GetRectFromIntPercents(const RECT& parent, float left, float top, float right, float bottom);
    // Roots of a x^2 + b x + c = 0. A negative discriminant gives the marker
    // (0.999, 999.0). a = 0 is solved as the line b x + c = 0 (both results
    // -c / b), and gives the marker too when b is 0.
    static void SolveQuadraticEquation(float a, float b, float c, float* x1, float* x2);
    // Runs the C library's heap check and logs its verdict at level 5.
    static bool CheckMemory();

private:
    char m_szDateTime[kDateTimeSize] = {};
    DWORD m_dwStartTime = 0;
    DWORD m_dwTimeStamp = 0;
    DWORD m_dwTimeStamp2 = 0;
};

// The one utilities object of the campaign.
extern CDX9KelUtils g_Utils;

// M := M x translation(v) (row vectors); nothing when either is missing.
void TranslateMatrix(const D3DXVECTOR3* v, D3DXMATRIX* m);

} // namespace Vorna2
