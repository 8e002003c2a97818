// Lenses a user can name: the catalogue's text read and refused with a
// reason. The lens fitted from calibration marks: noisy marks of a known
// lens give back its curve, a fit of degree 5 over a wide field keeps its
// digits, a residual lands on the mark that carries it, and marks that
// cannot give a lens are refused with a reason.
#include "lens_catalogue.h"
#include "lens_fit.h"
#include "lens_function.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace karwen {
namespace {

constexpr double kPi = std::numbers::pi;

double rhoOf(const RixLens& lens, double theta)
{
    double r = 0.0;
    for (int k = RIX_LENS_TERMS - 1; k >= 0; --k)
        r = (r + lens.A[k]) * theta;
    return r;
}

std::string reasonOf(std::string_view text)
{
    std::string why;
    EXPECT_FALSE(parseLensText(text, "x", &why).has_value()) << text;
    return why;
}

TEST(LensCatalogue, LensFilesInEveryPublishedFormGiveTheSameFunction)
{
    // One lens, rho = 0.7 t - 0.05 t^2 + c t^3 with rho(pi/2) = 1, written in
    // radians and r90, in degrees, and relative to a rim at 100 degrees.
    const double c = (1.0 - 0.7 * kPi / 2 + 0.05 * kPi * kPi / 4) / std::pow(kPi / 2, 3);
    const RixLens truth{{0.7, -0.05, c, 0, 0}, 100.0};
    const double d = kPi / 180, rim = rhoOf(truth, 100 * d);
    char radians[256], degrees[256], circle[256];
    std::snprintf(radians, sizeof radians, "name: a\nhalf_fov: 100\na1: %.17g\na2: -0.05\na3: %.17g\n", 0.7, c);
    std::snprintf(degrees, sizeof degrees, "half_fov: 100 # deg\ntheta: degrees\na1: %.17g\na2: %.17g\na3: %.17g\n",
        0.7 * d, -0.05 * d * d, c * d * d * d);
    std::snprintf(circle, sizeof circle, "radius: circle\nhalf_fov: 100\na0: 0\na1: %.17g\na2: %.17g\na3: %.17g\n",
        0.7 / rim, -0.05 / rim, c / rim);
    for (const char* text : {radians, degrees, circle}) {
        std::string why;
        const auto lens = parseLensText(text, "fallback", &why);
        ASSERT_TRUE(lens) << why << "\n" << text;
        EXPECT_DOUBLE_EQ(lens->lens.HalfFov, 100.0);
        for (double t = 0; t <= 100 * d; t += 5 * d)
            EXPECT_NEAR(rhoOf(lens->lens, t), rhoOf(truth, t), 1e-12) << text;
    }
    EXPECT_EQ(parseLensText(radians, "fallback", nullptr)->name, "a");
    EXPECT_EQ(parseLensText(degrees, "fallback", nullptr)->name, "fallback");
}

TEST(LensCatalogue, WhatIsNotALensIsRefusedWithItsReason)
{
    EXPECT_EQ(
        reasonOf("half_fov: 90\na0: 0.01\na1: 0.6366"), "line 2: the lens function must be 0 on the axis (a0 = 0)");
    EXPECT_EQ(reasonOf("a1: 0.6366"), "the lens file gives no half_fov");
    EXPECT_EQ(reasonOf("half_fov: 90"), "the lens file gives no terms a1 ... a5");
    EXPECT_EQ(reasonOf("half_fov: 90\nfocal: 8"), "line 2: unknown key 'focal'");
    EXPECT_EQ(reasonOf("half_fov: ninety"), "line 1: half_fov is not a number");
    EXPECT_EQ(reasonOf("half_fov: 90\na1: 1e999"), "line 2: a1 is not a number");
    EXPECT_EQ(reasonOf("half_fov 90"), "line 1: expected 'key: value'");
    EXPECT_EQ(reasonOf("half_fov: 121\na1: 0.6366"),
        "the lens's half field of view must be more than 0 and at most 120 degrees");
    // Falls after 1.2 rad.
    EXPECT_EQ(reasonOf("half_fov: 90\na1: 1.2\na2: -0.5"), "the lens function does not rise over its field of view");
    // Terms in pixels, not in radii.
    EXPECT_NE(reasonOf("half_fov: 90\na1: 650").find("reaches 1021 at 90 degrees, not 1"), std::string::npos);
}

NamedLens builtIn(std::string_view name)
{
    std::string why;
    const auto lens = findLens(name, &why);
    EXPECT_TRUE(lens) << why;
    return lens.value_or(NamedLens{});
}

TEST(LensCatalogue, BuiltInLensesAreTheirSourcesFunctions)
{
    // rho worked out from each source's own formula (exact decimals for
    // x = theta / 90 degrees, t = theta in radians otherwise) at 15, 30, 45,
    // 60, 75, 90 and 91.5 degrees.
    const double degrees[] = {15, 30, 45, 60, 75, 90, 91.5};
    const struct {
        const char* name;
        double halfFov;
        double scale; // what the source's rho is divided by
        double rho[7];
    } cases[] = {
        // 1.06 x + 0.00498 x^2 - 0.0639 x^3: 1.00108 at x = 1.
        {"fc-e8", 91.5, 1.00108,
            {0.176509166666667, 0.35152, 0.5232575, 0.689946666666667, 0.8498125, 1.00108, 1.015665504166667}},
        // 0.6427 t + 0.0346 t^2 - 0.024491 t^3.
        {"fc-e9", 91.5, 1.0,
            {0.170190460187330, 0.342487095815401, 0.514253189098877, 0.682852022252418, 0.845646877490689,
                1.000001037028350, 1.014870701083847}},
        // 0.75276 t - 0.073937 t^2.
        {"sigma-8mm", 90.0, 1.0,
            {0.192004545072164, 0.373873965969283, 0.545608262691354, 0.707207435238379, 0.858671483610358,
                1.000000407807290, 1.013575868397356}},
    };
    for (const auto& c : cases) {
        const NamedLens lens = builtIn(c.name);
        EXPECT_EQ(lens.name, c.name);
        EXPECT_DOUBLE_EQ(lens.lens.HalfFov, c.halfFov) << c.name;
        for (int i = 0; i < 7; ++i)
            EXPECT_NEAR(rhoOf(lens.lens, degrees[i] * kPi / 180), c.rho[i] / c.scale, 1e-12)
                << c.name << " at " << degrees[i] << " degrees";
    }
    // Rescaled, the FC-E8 puts every angle where the source does relative
    // to its image circle.
    const RixLens e8 = builtIn("fc-e8").lens;
    EXPECT_NEAR(rhoOf(e8, kPi / 4) / rhoOf(e8, 91.5 * kPi / 180), 0.5232575 / 1.015665504166667, 1e-12);

    // The Sigma 4.5 mm of the same paper reaches 0.948 at 90 degrees, against
    // no stated radius: refused as any lens file would be.
    char sigma45[160];
    std::snprintf(sigma45, sizeof sigma45, "half_fov: 90\na1: %.17g\na2: %.17g\na3: %.17g\n", 1.12 / (kPi / 2),
        0.00598 / std::pow(kPi / 2, 2), -0.178 / std::pow(kPi / 2, 3));
    EXPECT_NE(reasonOf(sigma45).find("reaches 0.948 at 90 degrees"), std::string::npos) << reasonOf(sigma45);
}

TEST(LensCatalogue, BuiltInLensesAreLensesAFileOrPolyCouldGive)
{
    for (const NamedLens& lens : builtInLenses()) {
        EXPECT_FALSE(lens.source.empty()) << lens.name;
        // Published digits: 1.000001 at most from 1.
        EXPECT_NEAR(rhoOf(lens.lens, kPi / 2), 1.0, 2e-6) << lens.name;
        char text[256];
        std::snprintf(text, sizeof text, "name: %s\nhalf_fov: %.17g\na1: %.17g\na2: %.17g\na3: %.17g\n",
            lens.name.c_str(), lens.lens.HalfFov, lens.lens.A[0], lens.lens.A[1], lens.lens.A[2]);
        std::string why;
        const auto parsed = parseLensText(text, "x", &why);
        ASSERT_TRUE(parsed) << lens.name << ": " << why;
        EXPECT_EQ(parsed->name, lens.name);
        EXPECT_EQ(parsed->lens.HalfFov, lens.lens.HalfFov) << lens.name;
        for (int k = 0; k < RIX_LENS_TERMS; ++k)
            EXPECT_EQ(parsed->lens.A[k], lens.lens.A[k]) << lens.name << " a" << k + 1;
    }

    // The FC-E9's terms as published, typed after poly:, are its function;
    // poly: always sees 90 degrees, the converter 91.5.
    const NamedLens e9 = builtIn("FC-E9");
    std::string why;
    const auto poly = findLens("poly:0.6427,0.0346,-0.024491", &why);
    ASSERT_TRUE(poly) << why;
    for (int k = 0; k < RIX_LENS_TERMS; ++k)
        EXPECT_EQ(poly->lens.A[k], e9.lens.A[k]) << "a" << k + 1;
    EXPECT_EQ(poly->lens.HalfFov, 90.0);
    EXPECT_EQ(e9.lens.HalfFov, 91.5);
}

TEST(LensCatalogue, NamesFilesAndPolynomialsAreFound)
{
    std::string why;
    const auto poly = findLens("poly:0.6366197723675813", &why);
    ASSERT_TRUE(poly) << why;
    EXPECT_EQ(poly->name, "poly:0.6366197723675813");
    EXPECT_DOUBLE_EQ(poly->lens.HalfFov, 90.0);
    EXPECT_FALSE(findLens("poly:0.6,,0.1", &why));
    EXPECT_FALSE(findLens("poly:0.1,0.1,0.1,0.1,0.1,0.1", &why));
    EXPECT_EQ(why, "poly: takes at most 5 terms, a1 to a5");

    const auto found = findLens("NIKKOR-8MM-F2.8", &why);
    ASSERT_TRUE(found) << why;
    EXPECT_EQ(found->name, "nikkor-8mm-f2.8");

    test::ScratchFolder folder;
    test::writeBytes(folder / "wide.lens", "half_fov: 95\na1: 0.6366197723675813\n");
    const auto file = findLens(folder.file("wide.lens"), &why);
    ASSERT_TRUE(file) << why;
    EXPECT_EQ(file->name, "wide");
    EXPECT_EQ(file->source, folder.file("wide.lens"));
    EXPECT_NEAR(radius90FromRim(1000.0, file->lens), 1000.0 * 90.0 / 95.0, 1e-9);

    EXPECT_FALSE(findLens(folder.file("missing.lens"), &why));
    EXPECT_EQ(why.rfind("no lens called '", 0), 0u) << why;
    EXPECT_FALSE(findLens(folder.path().string(), &why)); // a folder
    EXPECT_NE(why.find("is a folder"), std::string::npos) << why;
    test::writeBytes(folder / "bad.lens", "half_fov: 95\n");
    EXPECT_FALSE(findLens(folder.file("bad.lens"), &why));
    EXPECT_EQ(why, "lens file '" + folder.file("bad.lens") + "': the lens file gives no terms a1 ... a5");
}

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
