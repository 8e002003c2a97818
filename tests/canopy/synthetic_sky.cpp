#include "synthetic_sky.h"

#include "area_model.h"
#include "projection_model.h"
#include "random.h"
#include "test_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace karwen::canopy::test {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

// Start-up's tables, filled once for every canopy suite.
class StartUpTables : public ::testing::Environment {
public:
    void SetUp() override
    {
        initCoefTables();
        InitAreaTables();
    }
};
[[maybe_unused]] const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new StartUpTables);

double azimuthOf(double ex, double ey)
{
    const double a = std::atan2(ey, ex);
    return a < 0.0 ? a + 2.0 * kPi : a;
}

uint32_t rgb(unsigned r, unsigned g, unsigned b) { return kBlack | (r << 16) | (g << 8) | b; }

// Shares of two colours on black, mixed in linear light (gamma 2.2).
uint32_t mixed(uint32_t first, double firstShare, uint32_t second, double secondShare)
{
    uint32_t out = kBlack;
    for (const int shift : {0, 8, 16}) {
        const auto linear = [shift](uint32_t c) { return std::pow(double((c >> shift) & 0xffu) / 255.0, 2.2); };
        const double mean = firstShare * linear(first) + secondShare * linear(second);
        out |= uint32_t(std::lround(255.0 * std::pow(mean, 1.0 / 2.2))) << shift;
    }
    return out;
}

// Azimuth length of the circle of zenith t inside a cap of radius r whose
// centre lies at zenith c.
double arcInside(double t, double c, double r)
{
    const double across = std::sin(t) * std::sin(c);
    if (across <= 0.0)
        return std::abs(t - c) <= r ? 2.0 * kPi : 0.0;
    const double q = (std::cos(r) - std::cos(t) * std::cos(c)) / across;
    return 2.0 * std::acos(std::clamp(q, -1.0, 1.0));
}

// The integral of arcInside(t) sin t over [lo, hi]. The arc length behaves
// like a square root where a cap's edge meets the band; the substitution
// t = lo + (hi - lo)(u - sin u cos u) / pi, u in [0, pi], flattens the
// integrand at both ends, and the midpoint rule then converges fast.
double capBand(double lo, double hi, double c, double r)
{
    if (!(hi > lo))
        return 0.0;
    constexpr int kSteps = 96;
    const double du = kPi / kSteps, scale = (hi - lo) / kPi;
    double sum = 0.0;
    for (int i = 0; i < kSteps; ++i) {
        const double u = (i + 0.5) * du, su = std::sin(u);
        const double t = lo + scale * (u - su * std::cos(u));
        sum += arcInside(t, c, r) * std::sin(t) * scale * 2.0 * su * su * du;
    }
    return sum;
}

// The solid angle of a cap between zenith angles t0 and t1: the band the
// cap spans, split where its arc stops being the whole circle (when it
// holds the zenith).
double capSolidAngle(const Cap& cap, double t0, double t1)
{
    const double c = std::acos(std::clamp(cap.z, -1.0, 1.0)), r = cap.radius;
    const double lo = std::max(t0, std::max(0.0, c - r)), hi = std::min(t1, c + r);
    if (!(hi > lo))
        return 0.0;
    if (t0 <= c - r && c + r <= t1) // the whole cap
        return 2.0 * kPi * (1.0 - cap.cosRadius);
    const double full = r - c; // up to here the cap holds the whole circle
    if (full <= lo)
        return capBand(lo, hi, c, r);
    const double split = std::min(full, hi);
    return 2.0 * kPi * (std::cos(lo) - std::cos(split)) + capBand(split, hi, c, r);
}

double contacts(double gap, bool& saturated)
{
    saturated |= gap < std::exp(-10.0);
    return -std::log(std::max(gap, std::exp(-10.0)));
}

} // namespace

bool Scene::sky(double ex, double ey, double ez) const
{
    for (const Cap& c : caps)
        if (ex * c.x + ey * c.y + ez * c.z >= c.cosRadius)
            return capsAreSky;
    if (!capsAreSky)
        return true;
    if (patches.empty())
        return false;
    // The azimuth only once a patch spans the zenith angle: most pixels of
    // a large photo need none.
    const double t = std::acos(std::clamp(ez, -1.0, 1.0));
    double a = -1.0;
    for (const Patch& p : patches) {
        if (t < p.t0 || t > p.t1)
            continue;
        if (a < 0.0)
            a = azimuthOf(ex, ey);
        if (a >= p.a0 && a <= p.a1)
            return true;
    }
    return false;
}

double Scene::gapSolidAngle(double t0, double t1, double a0, double a1) const
{
    double sum = 0.0;
    for (const Patch& p : patches) {
        const double da = std::min(a1, p.a1) - std::max(a0, p.a0);
        const double lo = std::max(t0, p.t0), hi = std::min(t1, p.t1);
        if (da > 0.0 && hi > lo)
            sum += da * (std::cos(lo) - std::cos(hi));
    }
    return sum;
}

double Scene::gapSolidAngle(double t0, double t1) const
{
    double covered = 0.0;
    for (const Cap& cap : caps)
        covered += capSolidAngle(cap, t0, t1);
    const double patched = gapSolidAngle(t0, t1, 0.0, 2.0 * kPi);
    return capsAreSky ? patched + covered : 2.0 * kPi * (std::cos(t0) - std::cos(t1)) - covered;
}

double Scene::openness() const { return gapSolidAngle(0.0, kPi / 2.0) / (2.0 * kPi); }

Scene patchScene(uint64_t seed, double skipFrom, double skipTo)
{
    Xoshiro256 random(seed);
    Scene scene;
    for (int row = 0; row < 13; ++row) {
        const double t = 6.0 * row;
        for (int column = 0; column < 18; ++column) {
            const double a = 20.0 * column;
            const double draw = random.uniform(), u0 = random.uniform(), u1 = random.uniform();
            const double v0 = random.uniform(), v1 = random.uniform();
            const Patch p{(t + 1.8 * u0) * kDeg, (t + 3.6 + 2.4 * u1) * kDeg, (a + 6.0 * v0) * kDeg,
                (a + 11.0 + 9.0 * v1) * kDeg};
            const bool skipped = p.t1 > skipFrom * kDeg && p.t0 < skipTo * kDeg;
            if (draw < 0.75 - 0.55 * t / 78.0 && !skipped)
                scene.patches.push_back(p);
        }
    }
    return scene;
}

Scene capScene(uint64_t seed)
{
    Xoshiro256 random(seed);
    Scene scene;
    const auto wanted = static_cast<std::size_t>(8 + 20 * random.uniform());
    for (int attempt = 0; attempt < 5000 && scene.caps.size() < wanted; ++attempt) {
        const double radius = (3.0 + 17.0 * random.uniform()) * kDeg;
        const double z = random.uniform(), a = 2.0 * kPi * random.uniform();
        if (std::acos(z) + radius > kPi / 2.0)
            continue;
        const double s = std::sqrt(1.0 - z * z);
        const Cap cap{s * std::cos(a), s * std::sin(a), z, radius, std::cos(radius)};
        const bool apart = std::all_of(scene.caps.begin(), scene.caps.end(), [&](const Cap& c) {
            const double d = std::acos(std::clamp(c.x * cap.x + c.y * cap.y + c.z * cap.z, -1.0, 1.0));
            return d > c.radius + cap.radius + 0.5 * kDeg;
        });
        if (apart)
            scene.caps.push_back(cap);
    }
    return scene;
}

Scene capSky(uint64_t seed, const CapSkyKind& kind)
{
    Xoshiro256 random(seed);
    Scene sky{{}, {}, kind.capsAreSky};
    const double wanted = kind.covered * 2.0 * kPi;
    double covered = 0.0;
    for (int attempt = 0; attempt < 100000 && covered < wanted; ++attempt) {
        const double radius = (kind.minRadiusDeg + (kind.maxRadiusDeg - kind.minRadiusDeg) * random.uniform()) * kDeg;
        // Centres uniform on the sphere down to where a cap still reaches
        // above the horizon.
        const double lowest = -std::sin(radius);
        const double z = lowest + (1.0 - lowest) * random.uniform(), a = 2.0 * kPi * random.uniform();
        const double s = std::sqrt(1.0 - z * z);
        const Cap cap{s * std::cos(a), s * std::sin(a), z, radius, std::cos(radius)};
        const double surelyApart = std::cos(2.0 * kind.maxRadiusDeg * kDeg); // saves most cosines
        const bool apart = std::all_of(sky.caps.begin(), sky.caps.end(), [&](const Cap& c) {
            const double d = c.x * cap.x + c.y * cap.y + c.z * cap.z;
            return d < surelyApart || d < std::cos(c.radius + cap.radius);
        });
        if (!apart)
            continue;
        sky.caps.push_back(cap);
        covered += capSolidAngle(cap, 0.0, kPi / 2.0);
    }
    return sky;
}

Truth truthOf(const Scene& scene, int rings, double maxZenithDeg, int sectors)
{
    Truth truth{scene.openness(), {}, {}, 0.0, 0.0, 0.0, 0.0, false};
    const double width = maxZenithDeg * kDeg / rings, sector = 2.0 * kPi / sectors;
    double sinCos = 0.0, sinSum = 0.0;
    for (int k = 0; k < rings; ++k) {
        const double a = k * width, b = a + width, ring = 2.0 * kPi * (std::cos(a) - std::cos(b));
        truth.ringGap.push_back(scene.gapSolidAngle(a, b, 0.0, 2.0 * kPi) / ring);
        double meanContacts = 0.0;
        for (int s = 0; s < sectors; ++s) {
            truth.sectorGap.push_back(scene.gapSolidAngle(a, b, s * sector, (s + 1) * sector) / (ring / sectors));
            meanContacts += contacts(truth.sectorGap.back(), truth.saturated) / sectors;
        }
        const double t = a + width / 2.0;
        truth.difn += truth.ringGap.back() * std::sin(t) * std::cos(t);
        truth.le += 2.0 * contacts(truth.ringGap.back(), truth.saturated) * std::cos(t) * std::sin(t);
        truth.l += 2.0 * meanContacts * std::cos(t) * std::sin(t);
        sinCos += std::sin(t) * std::cos(t);
        sinSum += std::sin(t);
    }
    truth.difn /= sinCos;
    truth.le /= sinSum;
    truth.l /= sinSum;
    truth.lx = truth.le / truth.l;
    return truth;
}

void expectMatchesTruth(const PixelFigures& f, const Scene& scene, const ProjectionRecord& record,
    const CanopySettings& settings, double sectorTolerance)
{
    const Truth truth = truthOf(scene, settings.rings, settings.maxZenithDeg, settings.sectors);
    ASSERT_EQ(f.status, PixelStatus::Ok);
    EXPECT_FALSE(f.partial);
    EXPECT_EQ(f.saturated, truth.saturated);
    const double tilt = std::acos(std::cos(record.Alpha * kDegToRad) * std::cos(record.Beta * kDegToRad));
    EXPECT_NEAR(f.openness, truth.openness * 2.0 * kPi / (2.0 * kPi - 2.0 * tilt), 0.001);
    EXPECT_NEAR(f.difn, truth.difn, 0.001);
    EXPECT_LT(maxDifference(f.ringGap, truth.ringGap), 0.0025);
    EXPECT_LT(maxDifference(f.sectorGap, truth.sectorGap), sectorTolerance);
    EXPECT_NEAR(f.le, truth.le, 0.002 * truth.le);
    EXPECT_NEAR(f.l, truth.l, 0.002 * truth.l);
    EXPECT_NEAR(f.lx, truth.lx, 0.03);
}

namespace {

double lensRho(const RixLens& lens, double t)
{
    double r = 0.0;
    for (int k = RIX_LENS_TERMS - 1; k >= 0; --k)
        r = (r + lens.A[k]) * t;
    return r;
}

// The angle t of a lens at rho, found by halving: apart from the code
// measured, which inverts the lens by Newton's steps.
double lensTheta(const RixLens& lens, double rho, double tMax)
{
    double lo = 0.0, hi = tMax;
    for (int step = 0; step < 60; ++step)
        (lensRho(lens, 0.5 * (lo + hi)) < rho ? lo : hi) = 0.5 * (lo + hi);
    return 0.5 * (lo + hi);
}

} // namespace

Photo render(const Scene& scene, const ProjectionRecord& record, int width, int height, const RixLens* lens, Rim rim)
{
    // The resampler's rotation d = M e from the view frame e to the camera
    // frame d: about x by Beta, then about y by Alpha. Its transpose takes a
    // camera direction back into the view frame.
    const double ca = std::cos(record.Alpha * kDegToRad), sa = std::sin(record.Alpha * kDegToRad);
    const double cb = std::cos(record.Beta * kDegToRad), sb = std::sin(record.Beta * kDegToRad);
    const double m[3][3] = {{ca, -sa * sb, sa * cb}, {0.0, cb, sb}, {-sa, -ca * sb, ca * cb}};
    const double cr = std::cos(record.Rot * kDegToRad), sr = std::sin(record.Rot * kDegToRad);
    const uint32_t surround = rim == Rim::Lens ? kBlack : rgb(128, 128, 128);
    Photo photo{width, height, std::vector<uint32_t>(std::size_t(width) * std::size_t(height), surround)};
    // A lens's picture is measured to 90 degrees or to its field's rim;
    // a wider lens shows more, up to its half field of view, and where
    // that lies below the view's horizon it is painted sky, which no figure
    // may count.
    const double tEdge = lens ? std::min(lens->HalfFov * kDeg, kPi / 2.0) : kPi / 2.0;
    const double edge = lens ? lensRho(*lens, tEdge) : 1.0;
    const double tMax = lens ? lens->HalfFov * kDeg : kPi / 2.0;
    const double picture = lens ? std::max(edge, lensRho(*lens, tMax)) : 1.0; // the rim of what it shows
    // Whether the point (x, y), in radii, shows sky; none past the rim,
    // unless onRay: what the rim point on its ray sees then.
    const bool wide = picture > edge;
    const double rimReach = edge + std::sqrt(0.5) / record.R;
    const auto skyAt = [&](double x, double y, bool onRay) -> std::optional<bool> {
        double q = x * x + y * y;
        if (wide && q > rimReach * rimReach) {
            if (q > picture * picture)
                return std::nullopt;
            return true; // a wider lens's ring past 90 degrees
        }
        if (q > edge * edge) {
            if (!wide && !onRay)
                return std::nullopt;
            // Past a wider lens's 90 degrees by less than a pixel, or a
            // hard rim: what the rim point on the ray sees.
            x *= edge / std::sqrt(q);
            y *= edge / std::sqrt(q);
            q = edge * edge;
        }
        // Camera direction d = (tilt(X, Y), cos t) with (X, Y) = (x, y)
        // sin(t) / rho.
        double f = 0.0, cosT = 0.0;
        if (!lens) {
            f = sin_over_r(std::sqrt(1.0 - q), record.Proj);
            cosT = std::sqrt(std::max(0.0, 1.0 - x * f * x * f - y * f * y * f));
        } else {
            const double t = q > 0.0 ? lensTheta(*lens, std::sqrt(q), tMax) : 0.0;
            f = q > 0.0 ? std::sin(t) / std::sqrt(q) : 1.0 / lens->A[0];
            cosT = std::cos(t);
        }
        const double X = x * f, Y = y * f;
        const double d[3] = {cr * X + sr * Y, -sr * X + cr * Y, cosT};
        double e[3];
        for (int r = 0; r < 3; ++r)
            e[r] = m[0][r] * d[0] + m[1][r] * d[1] + m[2][r] * d[2];
        return e[2] >= 0.0 && scene.sky(e[0], e[1], e[2]);
    };
    // A pixel the rim crosses is the mean, in linear light, of 4 x 4
    // samples, those past the rim black: a lens's rim, as a camera whose
    // response the default gamma undoes records it.
    const double half = std::sqrt(0.5) / record.R;
    const double nearFrom = std::max(0.0, picture - half), nearTo = picture + half;
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            const double x = (i + 0.5 - record.Cx) / record.R, y = (j + 0.5 - record.Cy) / record.R;
            const double q = x * x + y * y;
            if (q > nearTo * nearTo)
                continue;
            const unsigned n = ((unsigned(i) * 73856093u) ^ (unsigned(j) * 19349663u)) % 21u;
            const uint32_t skyColour = rgb(150 + n, 190 + n, 235 + n), canopyColour = rgb(30 + n, 60 + n, 20 + n);
            uint32_t& pixel = photo.pixels[std::size_t(j) * std::size_t(width) + std::size_t(i)];
            if (q < nearFrom * nearFrom || rim == Rim::Hard) {
                pixel = skyAt(x, y, true).value_or(false) ? skyColour : canopyColour;
                continue;
            }
            int skies = 0, canopies = 0;
            for (int a = 0; a < 4; ++a)
                for (int b = 0; b < 4; ++b) {
                    const std::optional<bool> sky
                        = skyAt(x + (a - 1.5) / (4.0 * record.R), y + (b - 1.5) / (4.0 * record.R), false);
                    if (sky)
                        ++(*sky ? skies : canopies);
                }
            pixel = mixed(skyColour, skies / 16.0, canopyColour, canopies / 16.0);
        }
    }
    return photo;
}

Photo uniform(uint32_t colour, const ProjectionRecord& record, int width, int height, Rim rim)
{
    Photo photo{width, height, std::vector<uint32_t>(std::size_t(width) * std::size_t(height), kBlack)};
    const double reach = record.R + std::sqrt(0.5);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            const double d = std::hypot(i + 0.5 - record.Cx, j + 0.5 - record.Cy);
            if (d > reach)
                continue;
            uint32_t& pixel = photo.pixels[std::size_t(j) * std::size_t(width) + std::size_t(i)];
            if (rim == Rim::Hard || d < record.R - std::sqrt(0.5)) {
                pixel = colour;
                continue;
            }
            int inside = 0;
            for (int a = 0; a < 4; ++a)
                for (int b = 0; b < 4; ++b)
                    inside += std::hypot(i + (a + 0.5) / 4.0 - record.Cx, j + (b + 0.5) / 4.0 - record.Cy) <= record.R;
            pixel = mixed(colour, inside / 16.0, colour, 0.0);
        }
    return photo;
}

RixImage::RixImage(const Photo& photo)
    : handle_(RixCreate(photo.width, photo.height))
{
    if (handle_ > 0)
        std::copy(photo.pixels.begin(), photo.pixels.end(), karwen::test::ImagePixels(handle_).data());
}

RadialModel idealModel(int32_t proj) { return RadialModel::of(proj, nullptr).value(); }

} // namespace karwen::canopy::test
