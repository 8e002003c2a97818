// Rounding as the program's numbers are shown and stored: to the nearest
// integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
#pragma once

#include <cmath>

namespace karwen {

// The nearest whole number as a double; halves to even (the default
// floating-point rounding mode, which the program never changes).
[[nodiscard]] inline double roundToEven(double v) { return std::nearbyint(v); }

// The same as an int; v must lie within int's range.
[[nodiscard]] inline int roundHalfEven(double v) { return static_cast<int>(roundToEven(v)); }

// v brought to hundredths: the nearest integer to v * 100, times 0.01.
[[nodiscard]] inline double hund(double v) { return roundToEven(v * 100.0) * 0.01; }

} // namespace karwen
