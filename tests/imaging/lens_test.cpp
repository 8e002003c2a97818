// Sources seen through a real lens: the lens function's checks and inverse,
// the equidistant projection written as a lens, a non-ideal lens against a
// plain mapping (out beyond 90 degrees), and the same bits for every build.
#include "codec_test_support.h"
#include "deform_kernels.h"
#include "lens_function.h"
#include "rix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double kDeg = 0.01745329238474369;
constexpr double kPi = std::numbers::pi;

using codec_test::OwnedImage;

RixLens lens(std::vector<double> a, double halfFov)
{
    RixLens l{};
    std::copy(a.begin(), a.end(), l.A);
    l.HalfFov = halfFov;
    return l;
}

// A lens that is no ideal projection: rho(pi / 2) = 1, rising to 120 degrees.
RixLens realLens(double halfFov = 100.0)
{
    const double a1 = 0.62, a2 = 0.04, a3 = -0.035;
    const double h = kPi / 2, scale = a1 * h + a2 * h * h + a3 * h * h * h;
    return lens({a1 / scale, a2 / scale, a3 / scale}, halfFov);
}

// The destination grid every comparison looks at.
struct Grid {
    std::vector<int32_t> xs, ys;
};

Grid grid(int width, int height, int step)
{
    Grid g;
    for (int y = 0; y < height; y += step)
        for (int x = 0; x < width; x += step) {
            g.xs.push_back(x);
            g.ys.push_back(y);
        }
    return g;
}

struct Points {
    std::vector<float> x, y;
};

Points sourcesThroughLens(
    int width, int height, const ProjectionRecord& s, const RixLens& l, const ProjectionRecord& d, const Grid& g)
{
    Points p{std::vector<float>(g.xs.size()), std::vector<float>(g.xs.size())};
    EXPECT_EQ(RixSDeformSourcesLens(
                  width, height, &s, &l, &d, g.xs.data(), g.ys.data(), int32_t(g.xs.size()), p.x.data(), p.y.data()),
        1)
        << RixLastError();
    return p;
}

TEST(LensFunction, RefusesWhatIsNoLensAndSaysWhy)
{
    const double nan = std::nan("");
    struct Case {
        RixLens lens;
        const char* reason;
    };
    const Case refused[] = {
        {lens({0.6, nan}, 90), "not a number"},
        {lens({0.6}, 0), "half field of view"},
        {lens({0.6}, -5), "half field of view"},
        {lens({0.6}, 120.5), "at most 120 degrees"},
        {lens({0.6}, nan), "half field of view"},
        {lens({1.0, 0.0, -1.0}, 90), "does not rise"}, // falls beyond 33 degrees
        {lens({0.0, 0.4}, 90), "does not rise"},       // flat at the axis
        {lens({}, 90), "does not rise"},
    };
    for (const Case& c : refused) {
        EXPECT_EQ(RixLensCheck(&c.lens), 0) << c.reason;
        EXPECT_NE(std::string(RixLastError()).find(c.reason), std::string::npos) << RixLastError();
    }
    EXPECT_EQ(RixLensCheck(nullptr), 0);
    for (const RixLens& fine : {lens({2 / kPi}, 90), lens({2 / kPi}, 120), realLens()})
        EXPECT_EQ(RixLensCheck(&fine), 1) << RixLastError();
}

TEST(LensFunction, InverseAndDerivativeHoldOverTheField)
{
    const auto f = rix::LensFunction::make(realLens());
    ASSERT_TRUE(f);
    EXPECT_NEAR(f->rho(kPi / 2), 1.0, 1e-15);
    EXPECT_NEAR(f->halfFov(), 100 * kPi / 180, 1e-15);
    for (int i = 0; i <= 1000; ++i) {
        const double theta = f->halfFov() * i / 1000;
        EXPECT_NEAR(f->theta(f->rho(theta)), theta, 1e-12) << theta;
        const double h = 1e-6;
        EXPECT_NEAR(f->rhoDerivative(theta), (f->rho(theta + h) - f->rho(theta - h)) / (2 * h), 1e-8) << theta;
    }
    EXPECT_TRUE(std::isnan(f->theta(f->rhoMax() * 1.001)));
    EXPECT_TRUE(std::isnan(f->theta(-0.01)));
}

// rho = theta / (pi / 2) written as a lens lands within 0.01 pixel of the
// equidistant projection on a large photo, in every destination projection
// and view, and sees exactly the same pixels.
TEST(LensDeform, EquidistantAsALensIsTheEquidistantProjection)
{
    const RixLens equidistant = lens({2 / kPi}, 90);
    const int width = 640, height = 480;
    const Grid g = grid(width, height, 7);
    double worst = 0;
    for (int dstProj = 0; dstProj < 5; ++dstProj)
        for (const double alpha : {0.0, 35.0, -70.0}) {
            const ProjectionRecord ideal{2012.5, 1993.25, 1985.5, alpha, alpha / 3, 20, RixEquidistant};
            ProjectionRecord s = ideal;
            s.Proj = RixLensSource;
            const ProjectionRecord d{320.5, 240.5, dstProj == 4 ? 150.0 : 235.0, 0, 0, -10, dstProj};
            Points want{std::vector<float>(g.xs.size()), std::vector<float>(g.xs.size())};
            ASSERT_EQ(RixSDeformSources(width, height, &ideal, &d, g.xs.data(), g.ys.data(), int32_t(g.xs.size()),
                          want.x.data(), want.y.data()),
                1);
            const Points got = sourcesThroughLens(width, height, s, equidistant, d, g);
            for (std::size_t i = 0; i < g.xs.size(); ++i) {
                ASSERT_EQ(got.x[i] < 0, want.x[i] < 0) << "proj " << dstProj << " alpha " << alpha << " at " << i;
                if (want.x[i] >= 0)
                    worst = std::max(
                        {worst, std::fabs(double(got.x[i]) - want.x[i]), std::fabs(double(got.y[i]) - want.y[i])});
            }
        }
    EXPECT_LE(worst, 0.01);
}

// A real lens into an equisolid view tilted off its axis, against the
// mapping written out plainly: direction, turn, theta, the polynomial; for a
// common field and for the widest one a lens may have.
TEST(LensDeform, RealLensToEquisolidMatchesAPlainMapping)
{
    for (const double halfFov : {100.0, 120.0}) {
        const RixLens real = realLens(halfFov);
        const ProjectionRecord s{1500.5, 1400.5, 1380.0, 40.0, 0.0, 30.0, RixLensSource};
        const ProjectionRecord d{250.5, 250.5, 249.0, 0, 0, 0, RixEquisolidangle};
        const Grid g = grid(501, 501, 5);
        const Points got = sourcesThroughLens(501, 501, s, real, d, g);
        double worst = 0;
        int beyond90 = 0, unseen = 0;
        for (std::size_t i = 0; i < g.xs.size(); ++i) {
            const double u = (g.xs[i] + 0.5 - d.Cx) / d.R, v = (g.ys[i] + 0.5 - d.Cy) / d.R;
            const double rho = std::hypot(u, v);
            if (rho > 0.999)
                continue; // at the destination's rim rounding decides
            const double theta = 2 * std::asin(rho / std::numbers::sqrt2);
            const double sinT = std::sin(theta);
            const double dx = rho > 0 ? sinT * u / rho : 0, dy = rho > 0 ? sinT * v / rho : 0, dz = std::cos(theta);
            // The view turned by Alpha about the source's y axis.
            const double a = s.Alpha * kDeg;
            const double x2 = std::cos(a) * dx + std::sin(a) * dz, z2 = -std::sin(a) * dx + std::cos(a) * dz;
            const double thetaSource = std::acos(z2);
            if (std::fabs(thetaSource - real.HalfFov * kDeg) < 1e-4)
                continue;
            if (thetaSource > real.HalfFov * kDeg) {
                EXPECT_LT(got.x[i], 0) << i;
                ++unseen;
                continue;
            }
            double r = 0;
            for (int k = RIX_LENS_TERMS - 1; k >= 0; --k)
                r = (r + real.A[k]) * thetaSource;
            const double f = s.R * r / std::hypot(x2, dy);
            const double c = std::cos(s.Rot * kDeg), sn = std::sin(s.Rot * kDeg);
            const double sx = s.Cx + f * (c * x2 - sn * dy), sy = s.Cy + f * (sn * x2 + c * dy);
            ASSERT_GE(got.x[i], 0) << i;
            worst = std::max({worst, std::fabs(got.x[i] - sx), std::fabs(got.y[i] - sy)});
            beyond90 += thetaSource > kPi / 2;
        }
        EXPECT_LE(worst, 0.01) << halfFov;
        EXPECT_GT(beyond90, 100) << halfFov; // the lens's field past the horizon is used
        EXPECT_GT(unseen, 100) << halfFov;   // and its edge is honoured
    }
}

// Every kernel build gives the same bits through a lens, and the points
// function gives the whole conversion's.
TEST(LensDeform, SameBitsForEveryBuildAndForPoints)
{
    OwnedImage src(420, 380), whole(300, 260);
    uint32_t seed = 5;
    for (int y = 0; y < 380; ++y)
        for (int x = 0; x < 420; ++x)
            src.at(x, y) = 0xff000000u | ((seed = seed * 1664525u + 1013904223u) >> 8);
    const RixLens real = realLens();
    const ProjectionRecord s{210.5, 190.5, 170.0, 25, -10, 15, RixLensSource};
    const ProjectionRecord d{150.5, 130.5, 128.0, 0, 0, 0, RixStereographic};
    const Grid g = grid(300, 260, 3);
    for (int interp = 0; interp < 3; ++interp) {
        std::vector<uint32_t> first;
        for (rix::KernelIsa isa : {rix::KernelIsa::Reference, rix::KernelIsa::Avx2, rix::KernelIsa::Avx512}) {
            if (!rix::kernelIsaSupported(isa))
                continue;
            rix::setActiveKernelIsa(isa);
            ASSERT_EQ(RixSDeformLens(src.id(), whole.id(), &s, &real, &d, interp), 1) << RixLastError();
            std::vector<uint32_t> points(g.xs.size());
            ASSERT_EQ(RixSDeformPointsLens(src.id(), 300, 260, &s, &real, &d, interp, g.xs.data(), g.ys.data(),
                          int32_t(g.xs.size()), points.data()),
                1);
            rix::setActiveKernelIsa(rix::bestKernelIsa());
            const rix::Image& im = whole.image();
            std::vector<uint32_t> out(im.data(), im.data() + 300 * 260);
            for (std::size_t i = 0; i < g.xs.size(); ++i)
                ASSERT_EQ(points[i], out[std::size_t(g.ys[i]) * 300 + std::size_t(g.xs[i])]) << i;
            if (first.empty())
                first = out;
            else
                EXPECT_EQ(out, first) << "isa " << int(isa) << " interp " << interp;
        }
    }
}

// A lens code without a lens, a lens beside another code, or no lens at all
// is refused, and the destination stays as it was.
TEST(LensDeform, RefusesALensAndACodeThatDisagree)
{
    OwnedImage src(40, 40), dst(20, 20);
    dst.at(3, 4) = 0x00123456u;
    const RixLens real = realLens();
    const RixLens bad = lens({1.0, 0.0, -1.0}, 90);
    const ProjectionRecord withLens{20, 20, 18, 0, 0, 0, RixLensSource};
    const ProjectionRecord ideal{20, 20, 18, 0, 0, 0, RixEquidistant};
    const ProjectionRecord d{10, 10, 9, 0, 0, 0, RixEquidistant};
    EXPECT_EQ(RixSDeform(src.id(), dst.id(), &withLens, &d, 0), 0);
    EXPECT_EQ(RixSDeformLens(src.id(), dst.id(), &ideal, &real, &d, 0), 0);
    EXPECT_NE(std::string(RixLastError()).find("projection 5"), std::string::npos) << RixLastError();
    EXPECT_EQ(RixSDeformLens(src.id(), dst.id(), &withLens, nullptr, &d, 0), 0);
    EXPECT_EQ(RixSDeformLens(src.id(), dst.id(), &withLens, &bad, &d, 0), 0);
    EXPECT_NE(std::string(RixLastError()).find("does not rise"), std::string::npos) << RixLastError();
    EXPECT_EQ(dst.at(3, 4), 0x00123456u);
    EXPECT_EQ(RixSDeformLens(src.id(), dst.id(), &withLens, &real, &d, 0), 1) << RixLastError();
}

} // namespace
