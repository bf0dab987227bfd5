#pragma once
// Numbers in data files are read in the "C" locale whatever locale the
// process runs in, so "0.5" is one half under a comma-decimal locale too.

namespace Platform {

// As strtod in the "C" locale: leading blanks, sign, digits with '.', an
// exponent, "inf", "nan", hexadecimal floats. `end` (when given) receives
// the first character not used; it equals `text` when nothing was read (0).
// Null reads as nothing.
double ParseDouble(const char* text, const char** end = nullptr);

// As strtol base 10: leading blanks, an optional sign, decimal digits; the
// value saturates at the int range. `end` as for ParseDouble.
int ParseInt(const char* text, const char** end = nullptr);

// atof and atoi in the "C" locale: trailing text ignored, no number gives 0.
inline double AtofC(const char* text) { return ParseDouble(text); }
inline int AtoiC(const char* text) { return ParseInt(text); }

// A double as float; values beyond the float range become +-infinity
// (never undefined behaviour), NaN stays NaN.
inline float ToFloat(double v) {
    constexpr double kMax = 3.4028234663852886e38;
    if (v > kMax) return __builtin_huge_valf();
    if (v < -kMax) return -__builtin_huge_valf();
    return static_cast<float>(v);
}

} // namespace Platform
