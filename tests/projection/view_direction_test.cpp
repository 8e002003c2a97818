// The zenith and azimuth under a point of either picture, against angles
// worked by hand and against the view reference point's own geometry.
#include "projection_model.h"
#include "view_direction.h"
#include "view_reference.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace karwen;

namespace {

TEST(ViewDirection, WorkedAngles)
{
    struct Case {
        int32_t proj;
        double rot;
        double x, y; // relative to the centre, in radii
        double zenith, azimuth;
    } const cases[] = {
        {kEquidistant, 0, 0.0, 0.0, 0.0, 0.0},
        {kEquidistant, 0, 0.5, 0.0, 45.0, 0.0},
        {kEquidistant, 0, 0.0, 0.5, 45.0, 90.0},
        {kEquidistant, 0, -1.0, 0.0, 90.0, 180.0},
        {kEquisolidangle, 0, 0.0, -std::sqrt(0.5), 60.0, 270.0}, // rho = sqrt2 sin(t/2)
        {kOrthographic, 0, 0.5, 0.0, 30.0, 0.0},
        {kStereographic, 0, std::tan(M_PI / 8), 0.0, 45.0, 0.0},
        {kPerspective, 0, 1.0, 1.0, std::atan(std::sqrt(2.0)) * 180 / M_PI, 45.0},
        // Drawn 90 degrees counter-clockwise of the x axis on a side tilted by
        // 90 degrees: on the view frame's x axis.
        {kEquidistant, 90, 0.0, 0.5, 45.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.proj << " " << c.x << "," << c.y << " tilt " << c.rot);
        const ProjectionRecord side{300.0, 200.0, 150.0, 0.0, 0.0, c.rot, c.proj};
        const auto angles = skyAnglesAt(side, 300.0 + 150.0 * c.x, 200.0 + 150.0 * c.y);
        ASSERT_TRUE(angles);
        EXPECT_NEAR(angles->zenithDeg, c.zenith, 0.01);
        EXPECT_NEAR(std::fmod(angles->azimuthDeg + 360.0, 360.0), c.azimuth, 0.01);
    }
}

TEST(ViewDirection, TheViewReferencePointLooksAlongTheViewDirection)
{
    ProjectionRecord src{640.0, 480.0, 450.0, 0.0, 0.0, 20.0, kEquisolidangle};
    ASSERT_TRUE(ref2angle(src, 900.0f, 600.0f));
    ASSERT_GT(src.Alpha * src.Alpha + src.Beta * src.Beta, 1.0);
    const auto atReference = skyAnglesAt(src, 900.0, 600.0);
    ASSERT_TRUE(atReference);
    EXPECT_NEAR(atReference->zenithDeg, 0.0, 0.05);
    // The circle centre, the camera axis, lies as far off as the view turned.
    const auto atCentre = skyAnglesAt(src, 640.0, 480.0);
    ASSERT_TRUE(atCentre);
    const double turned = std::acos(std::cos(src.Alpha * kDegToRad) * std::cos(src.Beta * kDegToRad)) * 180 / M_PI;
    EXPECT_NEAR(atCentre->zenithDeg, turned, 0.05);
}

TEST(ViewDirection, NothingOutsideTheCircleOrForBrokenRecords)
{
    const ProjectionRecord side{100.0, 100.0, 50.0, 0.0, 0.0, 0.0, kEquidistant};
    EXPECT_FALSE(skyAnglesAt(side, 100.0, 151.0));
    EXPECT_FALSE(skyAnglesAt({100.0, 100.0, 0.0, 0.0, 0.0, 0.0, kEquidistant}, 100.0, 100.0));
    EXPECT_FALSE(skyAnglesAt({100.0, 100.0, 50.0, 0.0, 0.0, 0.0, 7}, 100.0, 100.0));
}

} // namespace
