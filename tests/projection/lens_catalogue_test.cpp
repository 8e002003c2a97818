#include "lens_catalogue.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cmath>
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

    for (const NamedLens& lens : builtInLenses()) {
        EXPECT_FALSE(lens.source.empty());
        EXPECT_NEAR(rhoOf(lens.lens, kPi / 2), 1.0, 1e-12) << lens.name;
    }
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
