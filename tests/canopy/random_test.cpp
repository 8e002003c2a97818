// The generator gives the published splitmix64 sequence and the same
// xoshiro256** numbers as an independent implementation of the reference C
// code; binomial, gamma and beta draws have the right mean and spread.
#include "random.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(Random, BinomialMeanAndVariance)
{
    Xoshiro256 random(7);
    struct Case {
        int n;
        double p;
    };
    for (const Case c : {Case{50, 0.3}, Case{200, 0.02}, Case{7, 0.9}}) {
        constexpr int kDraws = 20000;
        double sum = 0.0, squares = 0.0;
        for (int i = 0; i < kDraws; ++i) {
            const int x = random.binomial(c.n, c.p);
            ASSERT_GE(x, 0);
            ASSERT_LE(x, c.n);
            sum += x;
            squares += double(x) * x;
        }
        const double mean = sum / kDraws, variance = squares / kDraws - mean * mean;
        const double expectedVariance = c.n * c.p * (1.0 - c.p);
        EXPECT_NEAR(mean, c.n * c.p, 4.0 * std::sqrt(expectedVariance / kDraws)) << c.n;
        EXPECT_NEAR(variance, expectedVariance, 0.05 * expectedVariance) << c.n;
    }
    EXPECT_EQ(random.binomial(30, 0.0), 0);
    EXPECT_EQ(random.binomial(30, 1.0), 30);
    EXPECT_EQ(random.binomial(0, 0.5), 0);
}

// Beta(a, b) has mean a / (a + b) and variance ab / ((a + b)^2 (a + b + 1));
// shapes below 1 go through the boosted gamma draw.
TEST(Random, BetaMeanAndVariance)
{
    Xoshiro256 random(11);
    struct Case {
        double a, b;
    };
    for (const Case c : {Case{0.5, 10.5}, Case{3.0, 2.0}, Case{40.5, 0.5}}) {
        constexpr int kDraws = 40000;
        double sum = 0.0, squares = 0.0;
        for (int i = 0; i < kDraws; ++i) {
            const double x = random.beta(c.a, c.b);
            ASSERT_GT(x, 0.0);
            ASSERT_LT(x, 1.0);
            sum += x;
            squares += x * x;
        }
        const double s = c.a + c.b;
        const double mean = sum / kDraws, variance = squares / kDraws - mean * mean;
        const double expectedVariance = c.a * c.b / (s * s * (s + 1.0));
        EXPECT_NEAR(mean, c.a / s, 4.0 * std::sqrt(expectedVariance / kDraws)) << c.a;
        EXPECT_NEAR(variance, expectedVariance, 0.05 * expectedVariance) << c.a;
    }
}

} // namespace
} // namespace karwen::canopy
