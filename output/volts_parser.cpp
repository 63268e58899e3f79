#include "volts_parser.h"

#include <cfloat>

namespace arb::detail {

namespace {

// 10^(16 * 2^i): with the exact powers below 16 they make up any larger power.
constexpr long double kPow10Steps[] = {1e16L,  1e32L,   1e64L,   1e128L, 1e256L,
                                       1e512L, 1e1024L, 1e2048L, 1e4096L};
constexpr int kPow10StepCount = sizeof(kPow10Steps) / sizeof(kPow10Steps[0]);

} // namespace

long double ScaleByLargePowerOfTen(long double x, std::int64_t k) {
    const bool down = k < 0;
    std::uint64_t e = down ? 0 - static_cast<std::uint64_t>(k) : static_cast<std::uint64_t>(k);
    if ((e >> 4) >> kPow10StepCount != 0) // 10^8192 or more: far outside the extended range
        return down ? 0.0L : x * LDBL_MAX * 10.0L;
    x = down ? x / kExactPow10[e & 15] : x * kExactPow10[e & 15];
    e >>= 4;
    for (int i = 0; e != 0; ++i, e >>= 1) {
        if (e & 1)
            x = down ? x / kPow10Steps[i] : x * kPow10Steps[i];
    }
    return x;
}

bool ScaleMantissa(std::uint64_t mantissa, std::int64_t decimalExponent, long double& magnitude) {
    const long double x = static_cast<long double>(mantissa);
    if (decimalExponent >= -kMaxExactPow10 && decimalExponent <= kMaxExactPow10) {
        magnitude = decimalExponent < 0 ? x / kExactPow10[-decimalExponent]
                                        : x * kExactPow10[decimalExponent];
    } else {
        magnitude = ScaleByLargePowerOfTen(x, decimalExponent);
    }
    return magnitude <= LDBL_MAX; // false for infinity
}

} // namespace arb::detail
