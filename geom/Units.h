#pragma once
// Document coordinates, widths and sizes are tenths of a millimetre. Every
// change between millimetres (what users type and what outputs write) and
// document units goes through these two, so no place carries its own factor.

namespace units {

inline constexpr double kPerMm = 10.0;

constexpr double FromMm(double millimetres) {
    return millimetres * kPerMm;
}
constexpr double ToMm(double documentUnits) {
    return documentUnits / kPerMm;
}

}  // namespace units
