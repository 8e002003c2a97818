#include "random.h"

#include <cmath>

namespace karwen::canopy {

namespace {

uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

} // namespace

uint64_t splitMix64(uint64_t& state)
{
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

Xoshiro256::Xoshiro256(uint64_t seed)
{
    for (uint64_t& s : s_)
        s = splitMix64(seed);
}

uint64_t Xoshiro256::next()
{
    const uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

int Xoshiro256::binomial(int n, double p)
{
    int successes = 0;
    for (int i = 0; i < n; ++i)
        successes += uniform() < p ? 1 : 0;
    return successes;
}

double Xoshiro256::normal()
{
    // The polar method: a point uniform in the unit disc gives two normals;
    // the second is dropped so that every call costs the same draws.
    for (;;) {
        const double u = 2.0 * uniform() - 1.0, v = 2.0 * uniform() - 1.0;
        const double s = u * u + v * v;
        if (s > 0.0 && s < 1.0)
            return u * std::sqrt(-2.0 * std::log(s) / s);
    }
}

double Xoshiro256::gamma(double a)
{
    // Below shape 1, Gamma(a) = Gamma(a + 1) U^(1/a).
    if (a < 1.0) {
        const double boost = std::pow(1.0 - uniform(), 1.0 / a);
        return gamma(a + 1.0) * boost;
    }
    const double d = a - 1.0 / 3.0, c = 1.0 / std::sqrt(9.0 * d);
    for (;;) {
        const double x = normal(), t = 1.0 + c * x;
        if (t <= 0.0)
            continue;
        const double v = t * t * t, u = 1.0 - uniform(); // u in (0, 1]
        if (u < 1.0 - 0.0331 * x * x * x * x || std::log(u) < 0.5 * x * x + d * (1.0 - v + std::log(v)))
            return d * v;
    }
}

double Xoshiro256::beta(double a, double b)
{
    const double x = gamma(a), y = gamma(b);
    return x / (x + y);
}

} // namespace karwen::canopy
