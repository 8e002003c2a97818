#include "lens_catalogue.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

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

} // namespace
} // namespace karwen
