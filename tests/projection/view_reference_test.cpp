// The view reference point against angles worked by hand, and the same
// through a real lens: against angles worked from the lens function and
// against the equidistant projection the equidistant lens restates.
#include "projection_model.h"
#include "view_direction.h"
#include "view_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <tuple>
#include <utility>

using namespace karwen;

namespace {

ProjectionRecord equidistantSource(double rot = 0.0)
{
    return ProjectionRecord{600.0, 600.0, 500.0, 0.0, 0.0, rot, kEquidistant};
}

// The single-precision quarter turn: the angle of the rim and beyond.
constexpr double kQuarter = 90.0000032016512;

TEST(ViewReference, WorkedValues)
{
    struct Case {
        int32_t proj;
        double rot;
        float refX, refY;
        double alpha, beta, alphaTolerance, betaTolerance;
    };
    const double azimuth34 = std::atan2(4.0, 3.0) / kDegToRad;
    const Case cases[] = {
        {kEquidistant, 0, 600, 600, 0, 0, 5e-6, 5e-6},
        {kEquidistant, 0, 850, 600, 44.99911, 0, 5e-6, 5e-6},
        {kEquidistant, 0, 600, 850, 0, 44.99911, 5e-6, 5e-6},
        {kEquidistant, 0, 850, 850, 54.98010, 39.31586, 5e-6, 5e-6},
        {kEquidistant, 0, 350, 600, -44.99911, 0, 5e-6, 5e-6},
        {kEquidistant, 90, 850, 600, 0, -44.99911, 5e-6, 5e-6}, // the tilt turns the point
        // On the rim and outside: the quarter turn, to the last bits.
        {kEquidistant, 0, 1100, 600, kQuarter, 0, 1e-13, 0},
        {kEquidistant, 0, 1600, 600, kQuarter, 0, 1e-13, 0},
        {kEquidistant, 0, 100, 600, -kQuarter, 0, 1e-13, 0},
        {kEquidistant, 0, -5000, 600, -kQuarter, 0, 1e-13, 0},
        // Outside, every point lands on the horizon in its own azimuth.
        {kEquidistant, 0, 600 + 3000, 600 + 4000, 90.0, azimuth34, 1e-5, 1e-9},
        // 300/500 and 400/500 square-sum to exactly 1 in doubles: the rim branch.
        {kOrthographic, 0, 900, 1000, 90.0, azimuth34, 1e-5, 1e-6},
        {kEquisolidangle, 0, 900, 1000, 90.0, azimuth34, 1e-5, 1e-6},
        {kEquidistant, 0, 900, 1000, 90.0, azimuth34, 1e-5, 1e-6},
        {kStereographic, 0, 900, 1000, 90.0, azimuth34, 1e-5, 1e-6},
    };
    ASSERT_EQ(0.6 * 0.6 + 0.8 * 0.8, 1.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.refX << ", " << c.refY << " tilt " << c.rot << " projection " << c.proj);
        ProjectionRecord src{600.0, 600.0, 500.0, 0.0, 0.0, c.rot, c.proj};
        ASSERT_TRUE(ref2angle(src, c.refX, c.refY));
        EXPECT_NEAR(src.Alpha, c.alpha, c.alphaTolerance);
        EXPECT_NEAR(src.Beta, c.beta, c.betaTolerance);
    }
}

TEST(ViewReference, AngleToReference)
{
    ProjectionRecord src = equidistantSource();
    src.Alpha = 45.0;
    float x = 0, y = 0;
    ASSERT_TRUE(angle2ref(src, x, y));
    EXPECT_NEAR(x, 850.0f, 1e-3);
    EXPECT_NEAR(y, 600.0f, 1e-3);

    src.Alpha = 0.0;
    ASSERT_TRUE(angle2ref(src, x, y));
    EXPECT_EQ(x, 600.0f);
    EXPECT_EQ(y, 600.0f);

    // Tilted equisolid, there and back.
    src = {600.0, 600.0, 500.0, 0.0, 0.0, 30.0, kEquisolidangle};
    ASSERT_TRUE(ref2angle(src, 850, 850));
    ASSERT_TRUE(angle2ref(src, x, y));
    EXPECT_NEAR(x, 849.98956f, 1e-4);
    EXPECT_NEAR(y, 849.98956f, 1e-4);
}

// Records that cannot place a point: both conversions refuse them and leave
// the angles and the reference point as they were.
TEST(ViewReference, RecordsThatCannotPlaceAPointChangeNothing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        ProjectionRecord src;
        bool refused2angle, refused2ref;
    };
    auto with = [](double ProjectionRecord::*field, double value, double alpha = 12.0) {
        ProjectionRecord r = equidistantSource();
        r.Alpha = alpha;
        r.Beta = -7.0;
        r.*field = value;
        return r;
    };
    auto code = [](int32_t p) {
        ProjectionRecord r = equidistantSource();
        r.Proj = p;
        return r;
    };
    const Case cases[] = {
        {"zero radius", with(&ProjectionRecord::R, 0.0), true, false},
        {"negative radius", with(&ProjectionRecord::R, -10.0), true, false},
        {"NaN radius", with(&ProjectionRecord::R, nan), true, false},
        {"infinite radius", with(&ProjectionRecord::R, inf), true, false},
        {"NaN centre", with(&ProjectionRecord::Cx, nan), true, false},
        {"code -1", code(-1), true, true},
        {"code 5", code(5), true, true},
        {"code 99", code(99), true, true},
        {"point beyond single precision", with(&ProjectionRecord::R, 1e300, 45.0), false, true},
        {"NaN angle", with(&ProjectionRecord::Alpha, nan), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.refused2angle) {
            for (const auto& [x, y] : {std::pair{600.0f, 600.0f}, std::pair{850.0f, 600.0f}}) {
                ProjectionRecord src = c.src;
                EXPECT_FALSE(ref2angle(src, x, y)) << x;
                EXPECT_EQ(src.Alpha, c.src.Alpha);
                EXPECT_EQ(src.Beta, c.src.Beta);
            }
        }
        if (c.refused2ref) {
            float x = 1, y = 2;
            EXPECT_FALSE(angle2ref(c.src, x, y));
            EXPECT_EQ(x, 1.0f);
            EXPECT_EQ(y, 2.0f);
        }
    }
}

TEST(ViewReference, YrJustAboveOneIsClamped)
{
    // Just inside the top of the rim the equidistant model scales the point a
    // hair past the unit circle, so 1 - yr^2 is a tiny negative number.
    ProjectionRecord src = equidistantSource();
    const float refY = std::nextafter(std::nextafter(1100.0f, 0.0f), 0.0f);
    const double y = (double(refY) - src.Cy) / src.R;
    ASSERT_GT(y * sin_over_r(std::sqrt(1.0 - y * y), kEquidistant), 1.0);

    ASSERT_TRUE(ref2angle(src, 600, refY));
    EXPECT_TRUE(std::isfinite(src.Alpha));
    EXPECT_EQ(src.Alpha, 0.0);
    EXPECT_DOUBLE_EQ(src.Beta, kQuarter);
}

// --- round trips, every source projection and several tilts ---

class ViewReferenceRoundTrip : public ::testing::TestWithParam<std::tuple<int32_t, double>> { };

// Closed-form normalised radius, independent of the coefficient tables.
double closedRho(int32_t p, double theta)
{
    switch (p) {
    case kOrthographic:
        return std::sin(theta);
    case kEquisolidangle:
        return std::sqrt(2.0) * std::sin(theta / 2.0);
    case kEquidistant:
        return theta / (std::numbers::pi / 2.0);
    default:
        return std::tan(theta / 2.0);
    }
}

bool fitted(int32_t proj) { return proj == kEquisolidangle || proj == kEquidistant; }

TEST_P(ViewReferenceRoundTrip, PointToAnglesAndBack)
{
    const auto [proj, rot] = GetParam();
    // Pixels, for a radius of 500. Orthographic and stereographic tables are
    // exact; the two fitted ones disagree by up to 6e-5 relative, which the
    // flattening of the model near the rim magnifies.
    const double tolInner = fitted(proj) ? 0.05 : 1e-3;
    const double tolRim = fitted(proj) ? 0.25 : 1e-3;
    for (int i = -24; i <= 24; ++i)
        for (int j = -24; j <= 24; ++j) {
            const double u = i / 25.0, v = j / 25.0;
            const double q = u * u + v * v;
            if (q > 0.97 * 0.97)
                continue;
            const float refX = float(600.0 + 500.0 * u), refY = float(600.0 + 500.0 * v);
            ProjectionRecord src{600.0, 600.0, 500.0, 0.0, 0.0, rot, proj};
            ASSERT_TRUE(ref2angle(src, refX, refY));
            EXPECT_LE(std::fabs(src.Alpha), 90.0000033);
            EXPECT_LE(std::fabs(src.Beta), 90.0000033);
            float x = 0, y = 0;
            ASSERT_TRUE(angle2ref(src, x, y));
            const double tol = q <= 0.64 ? tolInner : tolRim;
            EXPECT_NEAR(x, refX, tol) << "u=" << u << " v=" << v;
            EXPECT_NEAR(y, refY, tol) << "u=" << u << " v=" << v;
        }
}

TEST_P(ViewReferenceRoundTrip, AnglesMatchTheClosedFormImagePoint)
{
    const auto [proj, rot] = GetParam();
    constexpr double deg = std::numbers::pi / 180.0;
    const double g = rot * deg;
    for (double alphaDeg = -80; alphaDeg <= 80; alphaDeg += 10)
        for (double betaDeg = -80; betaDeg <= 80; betaDeg += 10) {
            const double a = alphaDeg * deg, b = betaDeg * deg;
            const double dx = std::sin(a) * std::cos(b), dy = std::sin(b), dz = std::cos(a) * std::cos(b);
            const double theta = std::acos(dz);
            if (theta < 1e-9 || theta > 85 * deg)
                continue;
            // Where an independent closed-form camera puts this direction.
            const double scale = closedRho(proj, theta) / std::sin(theta);
            const double X = std::cos(g) * dx - std::sin(g) * dy;
            const double Y = std::sin(g) * dx + std::cos(g) * dy;
            ProjectionRecord src{600.0, 600.0, 500.0, 0.0, 0.0, rot, proj};
            ASSERT_TRUE(ref2angle(src, float(600 + 500 * scale * X), float(600 + 500 * scale * Y)));
            // Degrees; the fitted models drift most close to the horizon.
            const double tol = !fitted(proj) ? 1e-3 : theta <= 60 * deg ? 5e-3 : 0.2;
            EXPECT_NEAR(src.Alpha, alphaDeg, tol) << "beta=" << betaDeg;
            EXPECT_NEAR(src.Beta, betaDeg, tol) << "alpha=" << alphaDeg;
        }
}

INSTANTIATE_TEST_SUITE_P(SourceProjections, ViewReferenceRoundTrip,
    ::testing::Combine(::testing::Values(kOrthographic, kEquisolidangle, kEquidistant, kStereographic),
        ::testing::Values(0.0, 30.0, -75.0, 180.0)),
    [](const auto& test) {
        const int rot = int(std::get<1>(test.param));
        std::string name = "p";
        name += std::to_string(std::get<0>(test.param));
        name += rot < 0 ? "_rotm" : "_rot";
        name += std::to_string(rot < 0 ? -rot : rot);
        return name;
    });

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

// rho = 2 t / pi: the equidistant projection written as a lens.
constexpr RixLens kEquidistantLens{{2.0 / kPi, 0, 0, 0, 0}, 90.0};

// rho = 0.8 t + c t^3 with rho(pi / 2) = 1, seeing 100 degrees off its axis.
RixLens wideLens()
{
    const double c = (1.0 - 0.8 * kPi / 2) / std::pow(kPi / 2, 3);
    return {{0.8, 0, c, 0, 0}, 100.0};
}

double rhoOf(const RixLens& lens, double theta)
{
    double r = 0.0;
    for (int k = RIX_LENS_TERMS - 1; k >= 0; --k)
        r = (r + lens.A[k]) * theta;
    return r;
}

ProjectionRecord lensSource(double rot = 0.0) { return {600.0, 600.0, 500.0, 0.0, 0.0, rot, RixLensSource}; }

// The view angles of the direction theta off the axis in azimuth phi, as
// the record's Alpha and Beta describe it.
std::pair<double, double> viewAngles(double theta, double phi)
{
    const double dx = std::sin(theta) * std::cos(phi), dy = std::sin(theta) * std::sin(phi);
    return {std::atan2(dx, std::cos(theta)) / kDeg, std::asin(dy) / kDeg};
}

TEST(ViewReferenceLens, WorkedAnglesThroughAWideLens)
{
    const RixLens lens = wideLens();
    const auto at = [&lens](double thetaDeg) { return 500.0 * rhoOf(lens, thetaDeg * kDeg); };
    const double rim = at(100.0);
    struct Case {
        double rot, x, y, alpha, beta;
    } const cases[] = {
        {0, 600 + at(60), 600, 60, 0},
        {0, 600, 600 + at(30), 0, 30},
        {0, 600 - at(95), 600, -95, 0},  // past 90 degrees, behind the sideways plane
        {90, 600 + at(60), 600, 0, -60}, // the tilt turns the point
        {0, 600 + 2 * rim, 600, 100, 0}, // beyond the rim: the field's edge
        {0, 600 + 3 * rim, 600 + 4 * rim, viewAngles(100 * kDeg, std::atan2(4, 3)).first,
            viewAngles(100 * kDeg, std::atan2(4, 3)).second},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << " tilt " << c.rot);
        ProjectionRecord src = lensSource(c.rot);
        ASSERT_TRUE(ref2angle(src, float(c.x), float(c.y), &lens));
        // The point is a float; its rounding moves the angle by 1e-5 degrees.
        EXPECT_NEAR(src.Alpha, c.alpha, 1e-4);
        EXPECT_NEAR(src.Beta, c.beta, 1e-4);
    }

    // And back: a direction beyond the field lands on the rim.
    ProjectionRecord src = lensSource();
    src.Alpha = 60.0;
    float x = 0, y = 0;
    ASSERT_TRUE(angle2ref(src, x, y, &lens));
    EXPECT_NEAR(x, 600 + at(60), 1e-3);
    EXPECT_NEAR(y, 600.0, 1e-3);
    src.Alpha = -120.0;
    ASSERT_TRUE(angle2ref(src, x, y, &lens));
    EXPECT_NEAR(x, 600 - rim, 1e-3);

    // The sky angles under the pointer, past 90 degrees and on a tilted side.
    const auto past90 = skyAnglesAt(lensSource(), 600.0, 600.0 + at(95), &lens);
    ASSERT_TRUE(past90);
    EXPECT_NEAR(past90->zenithDeg, 95.0, 1e-6);
    EXPECT_NEAR(past90->azimuthDeg, 90.0, 1e-6);
    const auto tilted = skyAnglesAt(lensSource(90.0), 600.0 - at(40), 600.0, &lens);
    ASSERT_TRUE(tilted);
    EXPECT_NEAR(tilted->zenithDeg, 40.0, 1e-6);
    EXPECT_NEAR(tilted->azimuthDeg, 90.0, 1e-6);
    // Beyond the rim the lens sees nothing.
    EXPECT_FALSE(skyAnglesAt(lensSource(), 600.0 + at(100) + 1.0, 600.0, &lens));
}

TEST(ViewReferenceLens, RoundTripOverTheWholeFieldAndTilts)
{
    const RixLens lens = wideLens();
    const double rim = rhoOf(lens, 100 * kDeg);
    for (const double rot : {0.0, 30.0, -75.0, 180.0})
        for (int i = -20; i <= 20; ++i)
            for (int j = -20; j <= 20; ++j) {
                const double u = rim * i / 20.5, v = rim * j / 20.5;
                if (std::hypot(u, v) > 0.98 * rim)
                    continue;
                const float refX = float(600 + 500 * u), refY = float(600 + 500 * v);
                ProjectionRecord src = lensSource(rot);
                ASSERT_TRUE(ref2angle(src, refX, refY, &lens));
                float x = 0, y = 0;
                ASSERT_TRUE(angle2ref(src, x, y, &lens));
                EXPECT_NEAR(x, refX, 1e-3) << "u=" << u << " v=" << v << " tilt " << rot;
                EXPECT_NEAR(y, refY, 1e-3) << "u=" << u << " v=" << v << " tilt " << rot;
            }
}

TEST(ViewReferenceLens, TheEquidistantLensIsTheEquidistantProjection)
{
    // Exact where the projection's fitted model is not: 45 degrees, not 44.99911.
    ProjectionRecord src = lensSource();
    ASSERT_TRUE(ref2angle(src, 850, 600, &kEquidistantLens));
    EXPECT_NEAR(src.Alpha, 45.0, 1e-6);
    for (double alpha = -85; alpha <= 85; alpha += 17)
        for (double beta = -85; beta <= 85; beta += 17) {
            ProjectionRecord lensSide = lensSource(30.0), ideal = lensSide;
            ideal.Proj = kEquidistant;
            lensSide.Alpha = ideal.Alpha = alpha;
            lensSide.Beta = ideal.Beta = beta;
            float lx = 0, ly = 0, ix = 0, iy = 0;
            ASSERT_TRUE(angle2ref(lensSide, lx, ly, &kEquidistantLens));
            ASSERT_TRUE(angle2ref(ideal, ix, iy));
            EXPECT_NEAR(lx, ix, 0.01) << alpha << ", " << beta;
            EXPECT_NEAR(ly, iy, 0.01) << alpha << ", " << beta;
            // Back to angles; the fitted model drifts by degrees at the rim.
            if (std::acos(std::cos(alpha * kDeg) * std::cos(beta * kDeg)) > kPi / 3)
                continue;
            ASSERT_TRUE(ref2angle(lensSide, lx, ly, &kEquidistantLens));
            ASSERT_TRUE(ref2angle(ideal, lx, ly));
            EXPECT_NEAR(lensSide.Alpha, ideal.Alpha, 5e-3);
            EXPECT_NEAR(lensSide.Beta, ideal.Beta, 5e-3);
        }
}

TEST(ViewReferenceLens, ALensSourceWithoutAUsableLensPlacesNothing)
{
    const RixLens falling{{-0.5, 0, 0, 0, 0}, 90.0};
    for (const RixLens* lens : {static_cast<const RixLens*>(nullptr), &falling}) {
        ProjectionRecord src = lensSource();
        src.Alpha = 12.0;
        EXPECT_FALSE(ref2angle(src, 850, 600, lens));
        EXPECT_EQ(src.Alpha, 12.0);
        float x = 1, y = 2;
        EXPECT_FALSE(angle2ref(src, x, y, lens));
        EXPECT_EQ(x, 1.0f);
        EXPECT_FALSE(skyAnglesAt(src, 850, 600, lens));
    }
    // An ideal projection ignores a lens given beside it.
    ProjectionRecord ideal{600.0, 600.0, 500.0, 0.0, 0.0, 0.0, kEquidistant}, withLens = ideal;
    ASSERT_TRUE(ref2angle(ideal, 850, 600));
    const RixLens wide = wideLens();
    ASSERT_TRUE(ref2angle(withLens, 850, 600, &wide));
    EXPECT_EQ(withLens.Alpha, ideal.Alpha);
}

} // namespace
