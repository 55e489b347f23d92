#pragma once
// Bit-for-bit equality of single-precision values. What the archive reads back
// counts as unchanged only when every float has the bits it had: -0 differs
// from 0 and a NaN equals the same NaN, which == would not give.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "geom/Pointf.h"

namespace geom {

constexpr bool SameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

constexpr bool SameBits(PointF a, PointF b) {
    return SameBits(a.x, b.x) && SameBits(a.y, b.y);
}

template <typename T, std::size_t N>
constexpr bool SameBits(const std::array<T, N>& a, const std::array<T, N>& b) {
    for (std::size_t i = 0; i < N; ++i)
        if (!SameBits(a[i], b[i])) return false;
    return true;
}

}  // namespace geom
