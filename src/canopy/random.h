// A random generator that gives the same numbers on every platform and
// compiler: xoshiro256** (Blackman and Vigna 2018) seeded through
// splitmix64, uniform doubles from the top 53 bits, binomial draws as
// counts of uniform draws below p, normal draws by Marsaglia's polar method
// and gamma draws by Marsaglia and Tsang (2000). The standard library's
// distributions are not specified bit for bit, so intervals drawn with them
// would differ between platforms.
#pragma once

#include <cstdint>

namespace karwen::canopy {

// One step of splitmix64 on state; returns the next output.
[[nodiscard]] uint64_t splitMix64(uint64_t& state);

class Xoshiro256 {
public:
    explicit Xoshiro256(uint64_t seed);

    [[nodiscard]] uint64_t next();
    // Uniform in [0, 1), a multiple of 2^-53.
    [[nodiscard]] double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    // Number of successes in n trials of probability p (n >= 0, p in [0, 1]).
    // Costs n draws, which is cheap for the dot counts it serves.
    [[nodiscard]] int binomial(int n, double p);
    // Standard normal.
    [[nodiscard]] double normal();
    // Gamma of shape a > 0 and scale 1.
    [[nodiscard]] double gamma(double a);
    // Beta(a, b), a, b > 0, as X / (X + Y) of two gamma draws.
    [[nodiscard]] double beta(double a, double b);

private:
    uint64_t s_[4];
};

} // namespace karwen::canopy
