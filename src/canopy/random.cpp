#include "random.h"

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

} // namespace karwen::canopy
