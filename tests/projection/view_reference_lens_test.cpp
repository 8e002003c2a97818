// The view reference point and the pointer's angles of a source read
// through a real lens, against angles worked from the lens function and
// against the equidistant projection that the equidistant lens restates.
#include "projection_model.h"
#include "view_direction.h"
#include "view_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace karwen;

namespace {

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

TEST(ViewDirectionLens, PointerAnglesThroughTheLens)
{
    const RixLens lens = wideLens();
    const auto at = [&lens](double thetaDeg) { return 500.0 * rhoOf(lens, thetaDeg * kDeg); };
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

} // namespace
