#pragma once
// Whole numbers out of the game's money and score arithmetic. The values
// come from content files and saves, so any of them may be far out of range:
// the results stay within the integer the game keeps them in.
#include <cmath>
#include <cstdint>
#include <limits>

namespace SeaBattle {

// Cut toward zero, held within int32; NaN is 0.
inline int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kMin = static_cast<double>(std::numeric_limits<int32_t>::min());
    constexpr double kMax = static_cast<double>(std::numeric_limits<int32_t>::max());
    if (value <= kMin) return std::numeric_limits<int32_t>::min();
    if (value >= kMax) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::trunc(value));
}

// money + amount, held within int32.
inline int32_t AddMoney(int32_t money, int64_t amount) {
    const int64_t sum = static_cast<int64_t>(money) + amount;
    if (sum < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (sum > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(sum);
}

} // namespace SeaBattle
