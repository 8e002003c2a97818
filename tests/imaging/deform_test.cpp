// RixSDeform against a plain double-precision reference of the geometry,
// and what the resampler promises: the centre on the view point, round
// trips, thread-count and instruction-set independence, black where nothing
// is seen, exact constants, accurate radial fits. Sources through a real
// lens: the lens function's checks and inverse, the equidistant projection
// written as a lens, a non-ideal lens against a plain mapping. The
// projection codes: which are fisheye, which a photo or a conversion may
// have (alike from C and C++), and that every entry point refuses the rest.
#include "codec_test_support.h"
#include "deform_geometry.h"
#include "deform_kernels.h"
#include "lens_function.h"
#include "radial_fit.h"
#include "rix.h"
#include "thread_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr double kDeg = 0.01745329238474369;
constexpr uint32_t kBlack = 0xff000000u;
// Transparent, so no resampled pixel can take this value.
constexpr uint32_t kUnwritten = 0x00c0ffeeu;

using codec_test::OwnedImage;

void fillRandom(const OwnedImage& h, unsigned seed)
{
    std::mt19937 rng(seed);
    h.fill([&](int, int) { return kBlack | (rng() & 0xffffffu); });
}

// The kernel builds this processor runs.
std::vector<rix::KernelIsa> supportedIsas()
{
    std::vector<rix::KernelIsa> isas;
    for (rix::KernelIsa isa : {rix::KernelIsa::Reference, rix::KernelIsa::Avx2, rix::KernelIsa::Avx512})
        if (rix::kernelIsaSupported(isa))
            isas.push_back(isa);
    return isas;
}

ProjectionRecord record(double cx, double cy, double r, int proj, double alpha = 0, double beta = 0, double rot = 0)
{
    return {cx, cy, r, alpha, beta, rot, proj};
}

constexpr double kPi = std::numbers::pi;

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

// The geometry written out plainly: where destination pixel (x, y) looks on
// the source. margin tells how close the decision came to a boundary (in
// normalised radius, dz or source pixels) so that float rounding there can
// be forgiven.
struct Traced {
    bool visible = false;
    double sx = 0, sy = 0;
    double margin = 1;
};

Traced trace(const ProjectionRecord& s, const ProjectionRecord& d, double x, double y)
{
    Traced t;
    const double u0 = (x - d.Cx) / d.R, v0 = (y - d.Cy) / d.R;
    const double g = d.Rot * kDeg;
    const double u = std::cos(g) * u0 + std::sin(g) * v0;
    const double v = -std::sin(g) * u0 + std::cos(g) * v0;
    const double rho = std::hypot(u, v);
    if (d.Proj < 4) {
        t.margin = std::fabs(rho - 1.0);
        if (rho > 1.0)
            return t;
    }
    const double theta = rix::exactTheta(d.Proj, rho);
    double dx = 0, dy = 0, dz = 1;
    if (rho > 0) {
        dx = std::sin(theta) * u / rho;
        dy = std::sin(theta) * v / rho;
        dz = std::cos(theta);
    }
    const double a = s.Alpha * kDeg, b = s.Beta * kDeg;
    const double y1 = std::cos(b) * dy + std::sin(b) * dz;
    const double z1 = -std::sin(b) * dy + std::cos(b) * dz;
    const double x2 = std::cos(a) * dx + std::sin(a) * z1;
    const double z2 = -std::sin(a) * dx + std::cos(a) * z1;
    t.margin = std::fmin(t.margin, std::fabs(z2));
    if (z2 < 0)
        return t;
    const double f = s.R * rix::exactRhoOverSin(s.Proj, std::fmin(z2, 1.0));
    const double r = s.Rot * kDeg;
    t.sx = s.Cx + f * (std::cos(r) * x2 - std::sin(r) * y1);
    t.sy = s.Cy + f * (std::sin(r) * x2 + std::cos(r) * y1);
    t.visible = true;
    return t;
}

// Nearest sampling of the traced point: black off the image.
uint32_t referencePixel(const OwnedImage& src, const Traced& t, double& margin)
{
    const rix::Image& im = src.image();
    margin = t.margin;
    if (!t.visible)
        return kBlack;
    const double fx = t.sx - std::floor(t.sx), fy = t.sy - std::floor(t.sy);
    margin = std::fmin(margin, std::fmin(std::fmin(fx, 1 - fx), std::fmin(fy, 1 - fy)));
    if (t.sx < 0 || t.sy < 0 || t.sx >= im.width() || t.sy >= im.height())
        return kBlack;
    return im.row(int(std::floor(t.sy)))[int(std::floor(t.sx))];
}

struct View {
    double alpha, beta, rot, dstRot;
};
const View kViews[] = {{0, 0, 0, 0}, {30, -20, 15, 0}, {-60, 45, -100, 0}, {85, 10, 200, 25}};

class DeformPairs : public ::testing::TestWithParam<std::tuple<int, int>> { };

// Every pixel equals the plain reference, except where the reference point
// lies within a hair of a pixel edge, the circle or the horizon.
TEST_P(DeformPairs, MatchesPlainReference)
{
    const auto [srcProj, dstProj] = GetParam();
    OwnedImage src(97, 83), dst(64, 48);
    fillRandom(src, 7);
    int boundary = 0, total = 0;
    for (const View& view : kViews) {
        // Odd centres and radii, so that no point lands exactly on a pixel edge.
        const ProjectionRecord s = record(48.5, 41.2, 40.1, srcProj, view.alpha, view.beta, view.rot);
        const ProjectionRecord d = record(32.3, 23.9, dstProj == 4 ? 15.3 : 22.3, dstProj, 0, 0, view.dstRot);
        ASSERT_EQ(RixSDeform(src.id(), dst.id(), &s, &d, 0), 1);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                double margin = 0;
                const uint32_t want = referencePixel(src, trace(s, d, x + 0.5, y + 0.5), margin);
                ++total;
                if (dst.at(x, y) == want)
                    continue;
                ++boundary;
                EXPECT_LT(margin, 1e-3) << "pixel " << x << "," << y << " alpha " << view.alpha;
            }
    }
    // Float rounding may flip the odd pixel whose point sits on an edge.
    EXPECT_LE(boundary, total / 1000) << boundary << " of " << total;
}

INSTANTIATE_TEST_SUITE_P(
    DeformAllProjections, DeformPairs, ::testing::Combine(::testing::Range(0, 4), ::testing::Range(0, 5)));

// The destination centre looks along the view direction, onto the point
// angle2ref gives for the source's angles.
TEST(DeformGeometry, CentreSamplesViewPoint)
{
    for (int proj = 0; proj < 4; ++proj)
        for (const View& view : kViews) {
            const ProjectionRecord s = record(2000.0, 1900.0, 1800.0, proj, view.alpha * 0.9, view.beta, view.rot);
            const ProjectionRecord d = record(512.5, 300.5, 400.0, (proj + 1) % 5);
            const rix::DeformGeometry geometry(s, d);
            const rix::RowStart at = geometry.start(512, 300);
            float sx = 0, sy = 0;
            rix::deformKernels(rix::KernelIsa::Reference)
                .mapRow(geometry.constants(), at.u0, at.du, at.v0, at.dv, 1, &sx, &sy);
            // angle2ref in double with the closed form of rho/sin.
            const double a = s.Alpha * kDeg, b = s.Beta * kDeg, g = s.Rot * kDeg;
            const double dx = std::sin(a) * std::cos(b), dy = std::sin(b), dz = std::cos(a) * std::cos(b);
            const double f = s.R * rix::exactRhoOverSin(proj, dz);
            EXPECT_NEAR(sx, s.Cx + f * (std::cos(g) * dx - std::sin(g) * dy), 2e-3);
            EXPECT_NEAR(sy, s.Cy + f * (std::sin(g) * dx + std::cos(g) * dy), 2e-3);
        }
}

// The fitted radial functions and the whole float mapping stay within
// 0.01 pixel of the closed forms for a 4000-pixel source.
TEST(DeformGeometry, FastMappingWithinHundredthPixel)
{
    const rix::RadialFit& fit = rix::RadialFit::instance();
    double worst = 0;
    for (int i = 0; i <= 4000; ++i) {
        const double t = i / 4000.0, rho = std::sqrt(t), theta = rho * std::numbers::pi / 2;
        worst = std::fmax(
            worst, std::fabs(rix::evaluate(fit.sinOverRho, t) - (rho > 0 ? std::sin(theta) / rho : theta / rho)));
        worst = std::fmax(worst, std::fabs(rix::evaluate(fit.cosTheta, t) - std::cos(theta)));
        worst = std::fmax(worst, std::fabs(rix::evaluate(fit.rhoOverSin, t) - rix::exactRhoOverSin(2, 1 - t)));
    }
    EXPECT_LT(worst * 2000, 0.002);

    std::vector<float> sx(257), sy(257);
    double worstPx = 0;
    for (int srcProj = 0; srcProj < 4; ++srcProj)
        for (int dstProj = 0; dstProj < 5; ++dstProj) {
            const ProjectionRecord s = record(2000, 2000, 1880, srcProj, 20, -10, 30);
            const ProjectionRecord d = record(1024, 1024, 1000, dstProj, 0, 0, 10);
            const rix::DeformGeometry geometry(s, d);
            for (int y = 0; y < 2048; y += 97)
                for (int x0 : {0, 700, 1400, 1791}) {
                    const rix::RowStart at = geometry.start(x0, y);
                    rix::deformKernels(rix::KernelIsa::Reference)
                        .mapRow(geometry.constants(), at.u0, at.du, at.v0, at.dv, 257, sx.data(), sy.data());
                    for (int i = 0; i < 257; ++i) {
                        const Traced t = trace(s, d, x0 + i + 0.5, y + 0.5);
                        if (!t.visible || t.margin < 1e-4)
                            continue;
                        ASSERT_GE(sx[i], 0.0f);
                        worstPx = std::fmax(worstPx, std::hypot(sx[i] - t.sx, sy[i] - t.sy));
                    }
                }
        }
    EXPECT_LT(worstPx, 0.01);
}

// Converting A to B and back restores a smooth picture inside the circle.
TEST(DeformRoundTrip, RestoresSmoothImage)
{
    OwnedImage a(161, 161), b(161, 161), back(161, 161);
    a.fill([](int x, int y) {
        const auto c = uint32_t(127.5 + 100 * std::sin(x * 0.07) * std::cos(y * 0.05));
        return kBlack | c << 16 | (255 - c) << 8 | uint32_t(x + y) / 2;
    });
    for (int viaProj = 0; viaProj < 4; ++viaProj) {
        const ProjectionRecord s = record(80.5, 80.5, 78, 2, 20);
        const ProjectionRecord d = record(80.5, 80.5, 78, viaProj);
        ASSERT_EQ(RixSDeform(a.id(), b.id(), &s, &d, 2), 1);
        const ProjectionRecord s2 = record(80.5, 80.5, 78, viaProj, -20);
        const ProjectionRecord d2 = record(80.5, 80.5, 78, 2);
        ASSERT_EQ(RixSDeform(b.id(), back.id(), &s2, &d2, 2), 1);
        double error = 0;
        int count = 0;
        for (int y = 0; y < 161; ++y)
            for (int x = 0; x < 161; ++x) {
                // Inside 0.6 R both images still see the area (20 deg turn).
                if (std::hypot(x + 0.5 - 80.5, y + 0.5 - 80.5) > 0.6 * 78)
                    continue;
                const uint32_t p = a.at(x, y), q = back.at(x, y);
                error += std::abs(int(p >> 16 & 255) - int(q >> 16 & 255))
                    + std::abs(int(p >> 8 & 255) - int(q >> 8 & 255));
                count += 2;
            }
        EXPECT_LT(error / count, 1.5) << "via projection " << viaProj;
    }
}

// Puts back all threads and the best kernel build.
class ThreadCountGuard {
public:
    ~ThreadCountGuard()
    {
        rix::ThreadPool::instance().setThreadCount(int(std::thread::hardware_concurrency()));
        rix::setActiveKernelIsa(rix::bestKernelIsa());
    }
};

// Calls from several threads at once, each with its own thread setting,
// give the bits of a call that runs alone; a negative setting is refused.
TEST(DeformDeterminism, SameForConcurrentCallsAndThreadSettings)
{
    OwnedImage src(300, 260);
    fillRandom(src, 17);
    const ProjectionRecord s = record(150, 131, 125, 2, 25, -15, 40);
    const ProjectionRecord d = record(160, 120, 118, 1);
    ThreadCountGuard guard;
    rix::ThreadPool::instance().setThreadCount(4);
    OwnedImage alone(320, 240);
    ASSERT_EQ(RixSetThreads(1), 1);
    ASSERT_EQ(RixSDeform(src.id(), alone.id(), &s, &d, 1), 1);
    ASSERT_EQ(RixSetThreads(0), 1);
    const std::vector<uint32_t> expected = alone.pixels();

    constexpr int kCallers = 4;
    std::vector<std::vector<uint32_t>> results(kCallers);
    std::vector<int> failures(kCallers, 0);
    std::vector<std::thread> callers;
    for (int c = 0; c < kCallers; ++c)
        callers.emplace_back([&, c] {
            // 0 (all), 1 (alone), 2 and more than the pool has.
            if (RixSetThreads(c == 3 ? 9 : c) != 1)
                ++failures[std::size_t(c)];
            OwnedImage dst(320, 240);
            for (int round = 0; round < 8; ++round) {
                dst.fill([](int, int) { return kUnwritten; });
                if (RixSDeform(src.id(), dst.id(), &s, &d, 1) != 1 || dst.pixels() != expected)
                    ++failures[std::size_t(c)];
            }
        });
    for (std::thread& t : callers)
        t.join();
    for (int c = 0; c < kCallers; ++c)
        EXPECT_EQ(failures[std::size_t(c)], 0) << "caller " << c;

    EXPECT_EQ(RixSetThreads(-1), 0);
    EXPECT_STREQ(RixLastError(), "RixSetThreads: the number of threads must be 0 (all) or more");
}

// A thread set to one thread runs every task itself; the setting does not
// reach other threads.
TEST(DeformDeterminism, ThreadSettingBelongsToTheCallingThread)
{
    ThreadCountGuard guard;
    rix::ThreadPool& pool = rix::ThreadPool::instance();
    pool.setThreadCount(4);
    ASSERT_EQ(RixSetThreads(1), 1);
    const std::thread::id me = std::this_thread::get_id();
    std::atomic<int> elsewhere{0};
    pool.run(64, [&](int) {
        if (std::this_thread::get_id() != me)
            ++elsewhere;
    });
    EXPECT_EQ(elsewhere.load(), 0);
    std::thread fresh([] { EXPECT_EQ(rix::callThreads(), 0) << "a new thread starts with all threads"; });
    fresh.join();
    ASSERT_EQ(RixSetThreads(0), 1);
}

// Plain bilinear and Keys cubic in double on clamped taps: the kernels stay
// within one level (bilinear) and two levels (cubic, 11-bit weights) of
// them, edges included, on images as narrow as one pixel.
double keys(double t)
{
    t = std::fabs(t);
    return t <= 1 ? (1.5 * t - 2.5) * t * t + 1 : (t < 2 ? ((-0.5 * t + 2.5) * t - 4) * t + 2 : 0);
}

int plainChannel(const rix::Image& im, double x, double y, int interp, int shift)
{
    const double fx = x - 0.5, fy = y - 0.5, bx = std::floor(fx), by = std::floor(fy);
    const int first = interp == 1 ? 0 : -1, last = interp == 1 ? 1 : 2;
    double sum = 0;
    for (int j = first; j <= last; ++j)
        for (int i = first; i <= last; ++i) {
            const double wx = interp == 1 ? 1 - std::fabs(fx - (bx + i)) : keys(fx - (bx + i));
            const double wy = interp == 1 ? 1 - std::fabs(fy - (by + j)) : keys(fy - (by + j));
            const int px = std::clamp(int(bx) + i, 0, im.width() - 1), py = std::clamp(int(by) + j, 0, im.height() - 1);
            sum += wx * wy * double(im.row(py)[px] >> shift & 255);
        }
    return int(std::lround(std::clamp(sum, 0.0, 255.0)));
}

// The sampling kernels of every build agree bit for bit on arbitrary points
// (edges, points just off the image, NaN and huge values included), give
// black off the image, and stay within a level or two of plain interpolation.
TEST(DeformSampling, KernelsMatchReferenceAndPlainInterpolation)
{
    std::mt19937 rng(9);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (const auto& [w, h] : {std::pair{1, 5}, std::pair{2, 3}, std::pair{37, 29}}) {
        OwnedImage src(w, h);
        fillRandom(src, unsigned(w));
        const rix::SourcePixels pixels{src.image().data(), w, h};
        const float fw = float(w), fh = float(h);
        const float odd[] = {0.0f, std::nextafter(fw, 0.0f), fw, -0.0f, -1.0f, nan, 1e30f, -1e30f, inf, fh - 0.5f,
            std::nextafter(fh, 0.0f), fh};
        std::vector<float> sx, sy;
        for (const float x : odd)
            for (const float y : odd) {
                sx.push_back(x);
                sy.push_back(y);
            }
        // Half of the random points on the image, half around it.
        std::uniform_real_distribution<float> ux(0.0f, fw), uy(0.0f, fh), wx(-2.0f, fw + 3), wy(-2.0f, fh + 3);
        for (int i = 0; i < 1200; ++i) {
            sx.push_back(i % 2 ? ux(rng) : wx(rng));
            sy.push_back(i % 2 ? uy(rng) : wy(rng));
        }
        const int n = int(sx.size());
        for (int interp = 0; interp < 3; ++interp) {
            std::vector<uint32_t> want(n), got(n);
            rix::deformKernels(rix::KernelIsa::Reference).sample[interp](pixels, sx.data(), sy.data(), n, want.data());
            for (rix::KernelIsa isa : supportedIsas()) {
                rix::deformKernels(isa).sample[interp](pixels, sx.data(), sy.data(), n, got.data());
                EXPECT_EQ(got, want) << "interp " << interp << " isa " << int(isa) << " size " << w << "x" << h;
            }
            for (int i = 0; i < n; ++i) {
                SCOPED_TRACE(testing::Message() << w << "x" << h << " at " << sx[i] << "," << sy[i]);
                if (!(sx[i] >= 0 && sx[i] < fw && sy[i] >= 0 && sy[i] < fh)) {
                    EXPECT_EQ(want[i], kBlack);
                    continue;
                }
                if (interp == 0)
                    continue;
                for (int shift : {0, 8, 16})
                    EXPECT_NEAR(
                        int(want[i] >> shift & 255), plainChannel(src.image(), sx[i], sy[i], interp, shift), interp);
            }
        }
    }
}

// A destroyed large image leaves its warm buffer for the next one of a
// similar size.
TEST(DeformMemory, FreedLargeBufferIsReused)
{
    const uint32_t* first = nullptr;
    {
        OwnedImage a(1500, 1000);
        first = a.image().data();
    }
    OwnedImage b(1500, 990);
    EXPECT_EQ(b.image().data(), first);
    OwnedImage c(1500, 1000);
    EXPECT_NE(c.image().data(), first);
    c.at(1499, 999) = 1;
    b.at(1499, 989) = 2;
}

// A constant picture stays that constant under every kernel, and everything
// outside the destination circle or behind the source hemisphere is black.
TEST(DeformSampling, ConstantStaysConstantAndUnseenIsBlack)
{
    OwnedImage src(120, 100), dst(90, 90);
    src.fill([](int, int) { return 0xff7f3a99u; });
    // Looking 70 degrees sideways: part of the orthographic view lies behind.
    const ProjectionRecord s = record(60, 50, 45, 1, 70, 0);
    const ProjectionRecord d = record(45, 45, 40, 0);
    for (int interp = 0; interp < 3; ++interp) {
        ASSERT_EQ(RixSDeform(src.id(), dst.id(), &s, &d, interp), 1);
        int behind = 0;
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 90; ++x) {
                const Traced t = trace(s, d, x + 0.5, y + 0.5);
                if (t.margin < 1e-3)
                    continue;
                if (!t.visible) {
                    behind += std::hypot(x + 0.5 - 45, y + 0.5 - 45) < 40;
                    EXPECT_EQ(dst.at(x, y), kBlack) << x << "," << y;
                } else {
                    EXPECT_EQ(dst.at(x, y), 0xff7f3a99u) << x << "," << y << " interp " << interp;
                }
            }
        EXPECT_GT(behind, 100);
    }
}

// Records that describe no circle give black, never a crash; a bad
// interpolation or the source as destination fails (bad projection codes:
// the projection codes suite).
TEST(DeformSampling, DegenerateRecords)
{
    OwnedImage src(40, 40), dst(30, 20);
    src.fill([](int, int) { return 0xffffffffu; });
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const ProjectionRecord good = record(20, 20, 18, 2);
    const ProjectionRecord bad[] = {record(20, 20, 0, 2), record(20, 20, -5, 2), record(nan, 20, 18, 2),
        record(20, 20, inf, 2), record(20, 20, 18, 2, nan), record(1e300, 20, 18, 2), record(20, 20, 1e-300, 2),
        record(20, 20, 1e300, 2, 1e300, -1e300, 1e300)};
    for (const ProjectionRecord& b : bad)
        for (int interp = 0; interp < 3; ++interp) {
            EXPECT_EQ(RixSDeform(src.id(), dst.id(), &b, &good, interp), 1);
            EXPECT_EQ(RixSDeform(src.id(), dst.id(), &good, &b, interp), 1);
        }
    // Fully degenerate: nothing can be seen.
    const ProjectionRecord zero = record(20, 20, 0, 2);
    ASSERT_EQ(RixSDeform(src.id(), dst.id(), &zero, &good, 1), 1);
    for (uint32_t p : dst.pixels())
        EXPECT_EQ(p, kBlack);
    EXPECT_EQ(RixSDeform(src.id(), dst.id(), &good, &good, 3), 0);
    EXPECT_EQ(RixSDeform(src.id(), src.id(), &good, &good, 0), 0);
}

// Every kernel build and any number of threads write every pixel and the
// same bits, and every pixel of destinations wider than one column chunk,
// read point by point, equals what the whole conversion writes there: every
// interpolation, fisheye and perspective destinations, tilted and turned
// sources, and a source through a lens.
TEST(DeformPoints, SameBitsAsTheWholeConversionForEveryBuildAndThreadCount)
{
    OwnedImage src(420, 380);
    fillRandom(src, 23);
    const RixLens real = realLens();
    struct Case {
        ProjectionRecord s, d;
        int width, height;
        const RixLens* lens = nullptr;
    };
    const Case cases[] = {
        {record(210, 190, 180, 2), record(350, 150, 148, 1), 700, 300},
        {record(205.5, 187.25, 170, 0, 12, -20, 33), record(260, 260, 255, 3), 521, 521},
        {record(210, 190, 185, 1, -30, 10, -75), record(300, 100, 90, 4), 600, 200},
        {record(212, 180, 160, 3), record(128, 120, 118, 0, 0, 0, 15), 257, 240},
        {record(150, 131, 125, 2, 25, -15, 40), record(105, 86, 85, 2), 211, 173},
        {record(210.5, 190.5, 170, RixLensSource, 25, -10, 15), record(150.5, 130.5, 128, 3), 300, 260, &real},
    };
    ThreadCountGuard guard;
    std::vector<std::vector<uint32_t>> first(std::size(cases) * 3);
    for (rix::KernelIsa isa : supportedIsas())
        for (int threads : {1, 2, 3, 8}) {
            rix::setActiveKernelIsa(isa);
            rix::ThreadPool::instance().setThreadCount(threads);
            for (std::size_t i = 0; i < std::size(cases); ++i)
                for (int interp = 0; interp < 3; ++interp) {
                    SCOPED_TRACE(testing::Message()
                        << "isa " << int(isa) << " threads " << threads << " interp " << interp << " case " << i);
                    const Case& c = cases[i];
                    // A slice left unwritten would otherwise still hold a
                    // correct colour.
                    const OwnedImage dst(c.width, c.height, [](int, int) { return kUnwritten; });
                    ASSERT_EQ(c.lens ? RixSDeformLens(src.id(), dst.id(), &c.s, c.lens, &c.d, interp)
                                     : RixSDeform(src.id(), dst.id(), &c.s, &c.d, interp),
                        1);
                    const std::vector<uint32_t> whole = dst.pixels();
                    EXPECT_EQ(std::count(whole.begin(), whole.end(), kUnwritten), 0);
                    EXPECT_LT(std::count(whole.begin(), whole.end(), kBlack), std::ptrdiff_t(whole.size()));
                    if (first[i * 3 + interp].empty())
                        first[i * 3 + interp] = whole;
                    else
                        EXPECT_EQ(whole, first[i * 3 + interp]);
                    if (threads > 1)
                        continue; // points are read on the calling thread
                    // Whole rows and whole columns, every chunk included.
                    std::vector<int32_t> xs, ys;
                    std::vector<uint32_t> expected;
                    for (int y = 0; y < c.height; ++y)
                        for (int x = 0; x < c.width; ++x)
                            if (y % 13 == 0 || x % 29 == 0) {
                                xs.push_back(x);
                                ys.push_back(y);
                                expected.push_back(whole[std::size_t(y) * std::size_t(c.width) + std::size_t(x)]);
                            }
                    const auto n = int32_t(xs.size());
                    std::vector<uint32_t> points(expected.size(), kUnwritten);
                    ASSERT_EQ(c.lens ? RixSDeformPointsLens(src.id(), c.width, c.height, &c.s, c.lens, &c.d, interp,
                                  xs.data(), ys.data(), n, points.data())
                                     : RixSDeformPoints(src.id(), c.width, c.height, &c.s, &c.d, interp, xs.data(),
                                         ys.data(), n, points.data()),
                        1);
                    EXPECT_EQ(points, expected);
                }
        }
}

TEST(DeformPoints, RefusesPointsOffTheDestinationAndBadArguments)
{
    OwnedImage src(40, 40);
    src.fill([](int, int) { return 0xffffffffu; });
    const ProjectionRecord s = record(20, 20, 18, 2), d = record(15, 10, 9, 1);
    uint32_t out[2] = {kUnwritten, kUnwritten};
    const int32_t inX[2] = {0, 29}, inY[2] = {0, 19};
    ASSERT_EQ(RixSDeformPoints(src.id(), 30, 20, &s, &d, 0, inX, inY, 2, out), 1);
    EXPECT_EQ(out[0], kBlack); // a corner, outside the destination circle
    EXPECT_EQ(out[1], kBlack);
    const int32_t offX[2] = {0, 30}, offY[2] = {0, 5};
    out[0] = out[1] = kUnwritten;
    EXPECT_EQ(RixSDeformPoints(src.id(), 30, 20, &s, &d, 0, offX, offY, 2, out), 0);
    EXPECT_EQ(out[0], kUnwritten); // nothing written on an error
    const int32_t negX[1] = {-1}, negY[1] = {0};
    EXPECT_EQ(RixSDeformPoints(src.id(), 30, 20, &s, &d, 0, negX, negY, 1, out), 0);
    EXPECT_EQ(RixSDeformPoints(src.id(), 30, 20, &s, &d, 3, inX, inY, 2, out), 0);
    EXPECT_EQ(RixSDeformPoints(src.id(), 0, 20, &s, &d, 0, inX, inY, 2, out), 0);
    EXPECT_EQ(RixSDeformPoints(src.id(), 30, 20, nullptr, &d, 0, inX, inY, 2, out), 0);
    EXPECT_EQ(RixSDeformPoints(src.id(), 30, 20, &s, &d, 0, nullptr, inY, 2, out), 0);
    EXPECT_EQ(RixSDeformPoints(src.id(), 30, 20, &s, &d, 0, inX, inY, 0, nullptr), 1);
    EXPECT_EQ(RixSDeformPoints(99999, 30, 20, &s, &d, 0, inX, inY, 2, out), 0);
}

// The source points of chosen pixels are those nearest-pixel sampling reads:
// on a source whose every pixel is distinct (and never black), a point on
// the source gives the pixel containing it, one off it or -1 gives black. A
// destination wider than the source circle's view, so that some points
// fall off a source cut by its frame and some behind its hemisphere.
TEST(DeformSources, ArePointsNearestPixelReads)
{
    OwnedImage src(300, 200);
    src.fill([](int x, int y) { return 0xff000000u | uint32_t(y * 300 + x + 1); });
    const ProjectionRecord s = record(160, 90, 150, 2, 0, 20, 10), d = record(260, 250, 240, 1);
    std::vector<int32_t> xs, ys;
    for (int y = 0; y < 500; y += 7)
        for (int x = 0; x < 520; x += 5) {
            xs.push_back(x);
            ys.push_back(y);
        }
    const auto n = int32_t(xs.size());
    std::vector<uint32_t> read(xs.size());
    std::vector<float> px(xs.size()), py(xs.size());
    ASSERT_EQ(RixSDeformPoints(src.id(), 520, 500, &s, &d, 0, xs.data(), ys.data(), n, read.data()), 1);
    ASSERT_EQ(RixSDeformSources(520, 500, &s, &d, xs.data(), ys.data(), n, px.data(), py.data()), 1);
    int on = 0, off = 0, none = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const bool onSource = px[i] >= 0.0f && px[i] < 300.0f && py[i] >= 0.0f && py[i] < 200.0f;
        none += px[i] == -1.0f && py[i] == -1.0f;
        off += !onSource;
        on += onSource;
        const uint32_t expected = onSource ? 0xff000000u | uint32_t(int(py[i]) * 300 + int(px[i]) + 1) : kBlack;
        ASSERT_EQ(read[i], expected) << "point " << i;
    }
    EXPECT_GT(on, 1000);
    EXPECT_GT(off - none, 100); // off the source's frame
    EXPECT_GT(none, 100);       // outside the destination circle or behind the source
    const int32_t offX[1] = {520}, offY[1] = {0};
    float keep = 7.0f;
    EXPECT_EQ(RixSDeformSources(520, 500, &s, &d, offX, offY, 1, &keep, &keep), 0);
    EXPECT_EQ(keep, 7.0f);
    EXPECT_EQ(RixSDeformSources(520, 500, nullptr, &d, offX, offY, 0, &keep, &keep), 0);
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

// The source points of the grid, through the lens where one is given.
Points sources(
    int width, int height, const ProjectionRecord& s, const RixLens* l, const ProjectionRecord& d, const Grid& g)
{
    Points p{std::vector<float>(g.xs.size()), std::vector<float>(g.xs.size())};
    const auto n = int32_t(g.xs.size());
    EXPECT_EQ(l ? RixSDeformSourcesLens(width, height, &s, l, &d, g.xs.data(), g.ys.data(), n, p.x.data(), p.y.data())
                : RixSDeformSources(width, height, &s, &d, g.xs.data(), g.ys.data(), n, p.x.data(), p.y.data()),
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
            const Points want = sources(width, height, ideal, nullptr, d, g);
            const Points got = sources(width, height, s, &equidistant, d, g);
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
        const Points got = sources(501, 501, s, &real, d, g);
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

} // namespace

extern "C" int32_t rixFromCProjectionKinds(int32_t proj);

namespace {

constexpr int32_t kUnknown[] = {-1, 5, 7, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};

TEST(ProjectionCodes, KindsOfEachCode)
{
    struct Case {
        int32_t code;
        bool fisheye, source, destination;
    };
    const Case cases[] = {
        {RixOrthographic, true, true, true},
        {RixEquisolidangle, true, true, true},
        {RixEquidistant, true, true, true},
        {RixStereographic, true, true, true},
        {RixPerspective, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(RixIsFisheye(c.code), c.fisheye ? 1 : 0);
        EXPECT_EQ(RixMayBeSource(c.code), c.source ? 1 : 0);
        EXPECT_EQ(RixMayBeDestination(c.code), c.destination ? 1 : 0);
        EXPECT_EQ(rixFromCProjectionKinds(c.code), int(c.fisheye) + 2 * int(c.source) + 4 * int(c.destination));
    }
    for (const int32_t code : kUnknown) {
        SCOPED_TRACE(code);
        EXPECT_EQ(RixIsFisheye(code) + RixMayBeSource(code) + RixMayBeDestination(code), 0);
        EXPECT_EQ(rixFromCProjectionKinds(code), 0);
    }
}

// Unknown codes are refused by every entry point; so are a perspective
// source, a lens code without a lens, a lens beside another code and a lens
// that is none; the destination stays as it was.
TEST(ProjectionCodes, UnknownCodesAndLensesThatDisagreeAreRefused)
{
    const OwnedImage image(40, 40), dst(20, 20);
    dst.at(3, 4) = 0x00123456u;
    const ProjectionRecord good = {10, 10, 9, 0, 0, 0, RixEquidistant};
    const int32_t xs[1] = {10}, ys[1] = {10};
    uint32_t out[1] = {};
    float sx[1] = {}, sy[1] = {};
    for (const int32_t code : kUnknown) {
        SCOPED_TRACE(code);
        ProjectionRecord bad = good;
        bad.Proj = code;
        EXPECT_EQ(RixSDeform(image.id(), dst.id(), &bad, &good, 0), 0);
        EXPECT_EQ(RixSDeform(image.id(), dst.id(), &good, &bad, 0), 0);
        EXPECT_EQ(RixSDeformPoints(image.id(), 20, 20, &good, &bad, 0, xs, ys, 1, out), 0);
        EXPECT_EQ(RixSDeformSources(20, 20, &bad, &good, xs, ys, 1, sx, sy), 0);
    }
    ProjectionRecord perspective = good;
    perspective.Proj = RixPerspective;
    EXPECT_EQ(RixSDeform(image.id(), dst.id(), &perspective, &good, 0), 0); // may only be made
    const RixLens real = realLens(), bad = lens({1.0, 0.0, -1.0}, 90);
    const ProjectionRecord withLens{20, 20, 18, 0, 0, 0, RixLensSource};
    EXPECT_EQ(RixSDeformLens(image.id(), dst.id(), &good, &real, &good, 0), 0);
    EXPECT_NE(std::string(RixLastError()).find("projection 5"), std::string::npos) << RixLastError();
    EXPECT_EQ(RixSDeformLens(image.id(), dst.id(), &withLens, nullptr, &good, 0), 0);
    EXPECT_EQ(RixSDeformLens(image.id(), dst.id(), &withLens, &bad, &good, 0), 0);
    EXPECT_NE(std::string(RixLastError()).find("does not rise"), std::string::npos) << RixLastError();
    EXPECT_EQ(dst.at(3, 4), 0x00123456u);
    EXPECT_EQ(RixSDeform(image.id(), dst.id(), &good, &perspective, 0), 1);
    EXPECT_EQ(RixSDeformLens(image.id(), dst.id(), &withLens, &real, &good, 0), 1) << RixLastError();
}

// A kernel given a code no conversion accepts maps every pixel to nothing,
// rather than reading the code as some projection.
TEST(ProjectionCodes, KernelsMapUnknownCodesToNothing)
{
    for (const rix::KernelIsa isa : supportedIsas())
        for (const int32_t code : kUnknown)
            for (const bool onDestination : {true, false}) {
                rix::MapConstants k;
                k.fit = &rix::RadialFit::instance();
                k.m[0][0] = k.m[1][1] = k.m[2][2] = 1.0f;
                (onDestination ? k.dstProj : k.srcProj) = code;
                std::vector<float> sx(8, 0.0f), sy(8, 0.0f);
                rix::deformKernels(isa).mapRow(k, 0.0f, 0.01f, 0.0f, 0.0f, 8, sx.data(), sy.data());
                EXPECT_EQ(sx, std::vector<float>(8, -1.0f));
                EXPECT_EQ(sy, std::vector<float>(8, -1.0f));
            }
}

} // namespace
