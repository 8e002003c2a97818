// The generator gives the published splitmix64 sequence and the same
// xoshiro256** numbers as an independent implementation of the reference C
// code; binomial, gamma and beta draws have the right mean and spread.
#include "random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace karwen::canopy {
namespace {

TEST(Random, SameNumbersEverywhere)
{
    uint64_t state = 0;
    EXPECT_EQ(splitMix64(state), 0xe220a8397b1dcdafull);
    EXPECT_EQ(splitMix64(state), 0x6e789e6aa1b965f4ull);
    EXPECT_EQ(splitMix64(state), 0x06c45d188009454full);
    Xoshiro256 random(42);
    EXPECT_EQ(random.next(), 0x15780b2e0c2ec716ull);
    EXPECT_EQ(random.next(), 0x6104d9866d113a7eull);
    EXPECT_EQ(random.next(), 0xae17533239e499a1ull);
}

// Mean and variance of `draws` draws against the expected ones: the mean
// within four standard errors, the variance within 5 %; every draw within
// [lo, hi].
template <class Draw> void expectMoments(Draw draw, int draws, double lo, double hi, double mean, double variance)
{
    double sum = 0.0, squares = 0.0;
    for (int i = 0; i < draws; ++i) {
        const double x = draw();
        ASSERT_GE(x, lo);
        ASSERT_LE(x, hi);
        sum += x;
        squares += x * x;
    }
    const double m = sum / draws;
    EXPECT_NEAR(m, mean, 4.0 * std::sqrt(variance / draws));
    EXPECT_NEAR(squares / draws - m * m, variance, 0.05 * variance);
}

TEST(Random, BinomialMeanAndVariance)
{
    Xoshiro256 random(7);
    for (const auto& [n, p] : {std::pair{50, 0.3}, {200, 0.02}, {7, 0.9}}) {
        SCOPED_TRACE(n);
        expectMoments([&] { return double(random.binomial(n, p)); }, 20000, 0.0, n, n * p, n * p * (1.0 - p));
    }
    EXPECT_EQ(random.binomial(30, 0.0), 0);
    EXPECT_EQ(random.binomial(30, 1.0), 30);
    EXPECT_EQ(random.binomial(0, 0.5), 0);
}

// Beta(a, b) has mean a / (a + b) and variance ab / ((a + b)^2 (a + b + 1));
// shapes below 1 go through the boosted gamma draw. Every draw lies strictly
// inside (0, 1).
TEST(Random, BetaMeanAndVariance)
{
    Xoshiro256 random(11);
    for (const auto& [a, b] : {std::pair{0.5, 10.5}, {3.0, 2.0}, {40.5, 0.5}}) {
        SCOPED_TRACE(a);
        const double s = a + b;
        expectMoments([&] { return random.beta(a, b); }, 40000, std::nextafter(0.0, 1.0), std::nextafter(1.0, 0.0),
            a / s, a * b / (s * s * (s + 1.0)));
    }
}

} // namespace
} // namespace karwen::canopy
