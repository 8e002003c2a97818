// The lens fitted from calibration marks: noisy marks of a known non-ideal
// lens give back its curve, a fit of degree 5 over a wide field keeps its
// digits, a residual lands on the mark that carries it in pixels and in
// degrees, and marks that cannot give a lens are refused with a reason.
#include "lens_fit.h"

#include "lens_function.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace karwen {
namespace {

constexpr double kPi = std::numbers::pi;

// rho = sum a_k t^k scaled so that rho(pi / 2) = 1.
RixLens normalisedLens(std::vector<double> terms, double halfFov)
{
    double at90 = 0.0;
    for (std::size_t k = terms.size(); k-- > 0;)
        at90 = (at90 + terms[k]) * (kPi / 2);
    RixLens lens{};
    for (std::size_t k = 0; k < terms.size(); ++k)
        lens.A[k] = terms[k] / at90;
    lens.HalfFov = halfFov;
    return lens;
}

// n marks from 0 to the lens's field, radius R rho(theta) plus Gaussian
// noise of sigma pixels drawn by Box-Muller from a seeded Mersenne twister,
// whose sequence the standard fixes on every platform.
std::vector<LensMark> marksOf(const RixLens& lens, double radius90, int n, double sigma, std::uint32_t seed)
{
    const auto f = rix::LensFunction::make(lens);
    std::mt19937 bits(seed);
    const auto uniform = [&] { return (double(bits()) + 0.5) / 4294967296.0; };
    std::vector<LensMark> marks;
    for (int i = 0; i < n; ++i) {
        const double deg = lens.HalfFov * i / (n - 1);
        const double noise = sigma * std::sqrt(-2 * std::log(uniform())) * std::cos(2 * kPi * uniform());
        marks.push_back({radius90 * f->rho(deg * kPi / 180) + noise, deg});
    }
    return marks;
}

double largestRhoDifference(const RixLens& a, const RixLens& b)
{
    const auto fa = rix::LensFunction::make(a), fb = rix::LensFunction::make(b);
    double worst = 0.0;
    for (int i = 0; i <= 1000; ++i) {
        const double theta = a.HalfFov * kPi / 180 * i / 1000;
        worst = std::max(worst, std::fabs(fa->rho(theta) - fb->rho(theta)));
    }
    return worst;
}

TEST(LensFit, NoisyMarksRecoverTheCurve)
{
    const RixLens truth = normalisedLens({0.6, 0.04, -0.02}, 95);
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        const std::vector<LensMark> marks = marksOf(truth, 1000, 30, 0.5, seed);
        std::string why;
        const auto fit = fitLens(marks, 3, std::nullopt, &why);
        ASSERT_TRUE(fit) << why;
        EXPECT_LE(largestRhoDifference(truth, fit->lens), 0.002) << seed;
        EXPECT_NEAR(fit->radius90, 1000, 2) << seed;
        EXPECT_EQ(fit->lens.HalfFov, 95); // the largest angle measured
        EXPECT_GT(fit->rmsPixels, 0.3) << seed;
        EXPECT_LT(fit->rmsPixels, 0.7) << seed;
    }
}

TEST(LensFit, DegreeFiveOverAWideFieldKeepsItsDigits)
{
    const RixLens truth = normalisedLens({0.7, -0.05, 0.03, -0.01, 0.001}, 100);
    const std::vector<LensMark> marks = marksOf(truth, 1500, 40, 0.0, 1);
    std::string why;
    const auto fit = fitLens(marks, 5, 110.0, &why);
    ASSERT_TRUE(fit) << why;
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(fit->lens.A[k], truth.A[k], 1e-9) << "a" << k + 1;
    EXPECT_NEAR(fit->radius90, 1500, 1e-8);
    EXPECT_EQ(fit->lens.HalfFov, 110);
    EXPECT_LT(fit->rmsPixels, 1e-9);
    EXPECT_LT(fit->rmsDegrees, 1e-9);
}

TEST(LensFit, AResidualLandsOnItsMarkInPixelsAndDegrees)
{
    // The equidistant lens on R = 1000: r = 1000 theta / (pi / 2), 636.6
    // pixels a radian. Ten exact marks at 0, 10 ... 90 degrees and one at
    // 45 degrees read 7 pixels too far out; with degree 1 the fitted
    // slope is theirs: sum r_i t_i / sum t_i^2.
    std::vector<LensMark> marks;
    for (int deg = 0; deg <= 90; deg += 10)
        marks.push_back({1000 * deg / 90.0, double(deg)});
    marks.push_back({500 + 7, 45});
    double rt = 0, tt = 0;
    for (const LensMark& m : marks) {
        const double t = m.zenithDeg * kPi / 180;
        rt += m.radius * t;
        tt += t * t;
    }
    const double slope = rt / tt; // pixels a radian
    std::string why;
    const auto fit = fitLens(marks, 1, std::nullopt, &why);
    ASSERT_TRUE(fit) << why;
    EXPECT_NEAR(fit->radius90, slope * kPi / 2, 1e-9);
    EXPECT_NEAR(fit->lens.A[0], 2 / kPi, 1e-15);
    const LensMarkResidual& off = fit->residuals.back();
    EXPECT_NEAR(off.pixels, 507 - slope * kPi / 4, 1e-9);
    EXPECT_NEAR(off.degrees, off.pixels / slope * 180 / kPi, 1e-9);
    EXPECT_GT(off.pixels, 6);
    for (std::size_t i = 0; i + 1 < marks.size(); ++i)
        EXPECT_LT(std::fabs(fit->residuals[i].pixels), off.pixels) << i;
}

TEST(LensFit, MarksThatGiveNoLensAreRefused)
{
    const auto line = [](std::vector<double> degrees, double perDegree) {
        std::vector<LensMark> marks;
        for (const double d : degrees)
            marks.push_back({perDegree * d, d});
        return marks;
    };
    // r = 800 t - 300 t^2 turns back at 76 degrees, inside a 100-degree field.
    std::vector<LensMark> turning;
    for (int deg = 0; deg <= 100; deg += 5) {
        const double t = deg * kPi / 180;
        turning.push_back({800 * t - 300 * t * t, double(deg)});
    }
    // r = 100 t - 200 t^2, positive out to 25 degrees, negative at 90.
    std::vector<LensMark> falling;
    for (int deg = 5; deg <= 25; deg += 5) {
        const double t = deg * kPi / 180;
        falling.push_back({100 * t - 200 * t * t, double(deg)});
    }
    const struct {
        const char* name;
        std::vector<LensMark> marks;
        int degree;
        std::optional<double> halfFov;
        const char* reason;
    } cases[] = {
        {"fewer points than terms", line({10, 20}, 10), 3, {}, "2 points cannot fix 3 terms"},
        {"a negative radius", {{10, 10}, {-1, 20}}, 1, {}, "point 2: the radius -1 is negative"},
        {"an angle beyond 120", {{10, 10}, {1300, 121}}, 1, {}, "point 2: the zenith angle 121 is outside 0 to 120"},
        {"a negative angle", {{10, -1}, {20, 20}}, 1, {}, "point 1: the zenith angle -1 is outside"},
        {"beyond the half field", line({10, 80}, 10), 1, 70.0, "a point at 80 degrees lies beyond"},
        {"one angle thrice", line({30, 30, 30}, 10), 2, {}, "1 different zenith angles above 0, too few for 2"},
        {"only the axis", line({0, 0}, 10), 1, {}, "0 different zenith angles"},
        {"a curve that turns back", turning, 2, {}, "does not rise over its field of view"},
        {"a curve below 0 at 90 degrees", falling, 2, {}, "not above 0"},
        {"degree 6", line({10, 20, 30, 40, 50, 60}, 10), 6, {}, "the degree is 1 to 5"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(fitLens(c.marks, c.degree, c.halfFov, &why)) << c.name;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
    }
}

} // namespace
} // namespace karwen
