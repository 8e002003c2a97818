// The radial model's tables and functions against their worked values and
// closed forms; the projection kinds; records compared as numbers; the
// zenith and azimuth under a point of either picture, against angles worked
// by hand and the view reference point's own geometry. Every projection
// suite runs with the tables filled, as the programs fill them at start-up.
#include "projection_kinds.h"
#include "projection_model.h"
#include "same_record.h"
#include "view_direction.h"
#include "view_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <set>
#include <stdexcept>
#include <string>

using namespace karwen;

namespace {

class FilledTables : public ::testing::Environment {
public:
    void SetUp() override
    {
        karwen::initProjectionNames();
        karwen::initCoefTables();
        karwen::initGridTables();
    }
};

const ::testing::Environment* const kFilledTables = ::testing::AddGlobalTestEnvironment(new FilledTables);

} // namespace

// The fitted rows pinned to double precision at two points each: a
// coefficient off by one bit of its single-precision pattern shows here,
// far below the tolerance of the closed-form comparison further down.
TEST(ProjectionModel, FittedRowsToDoublePrecision)
{
    struct Case {
        int32_t p;
        double x, sinOverR, rOverSin;
    };
    const Case cases[] = {
        {kEquisolidangle, 0.3, 1.044090835282881, 0.8770575742712836},
        {kEquisolidangle, 0.8, 1.2806498946719849, 0.745355557125772},
        {kEquidistant, 0.3, 1.0455161253714103, 0.844945117642252},
        {kEquidistant, 0.8, 1.3483643996312686, 0.6827754790908679},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(sin_over_r(c.x, c.p), c.sinOverR) << "p=" << c.p << " x=" << c.x;
        EXPECT_DOUBLE_EQ(r_over_sin(c.x, c.p), c.rOverSin) << "p=" << c.p << " x=" << c.x;
    }
}

TEST(ProjectionModel, GridRadiusTellingRows)
{
    struct Row {
        int i;
        float radius[kProjectionCount];
    };
    const Row rows[] = {
        {1, {0.9961947f, 0.9554293f, 0.9444448f, 0.9163312f, 11.43005f}},
        {9, {0.7071068f, 0.5411961f, 0.5f, 0.4142136f, 1}},
        {12, {0.5f, 0.3660251f, 0.333333f, 0.2679492f, 0.5773502f}},
    };
    EXPECT_NEAR(GridCos[9], 0.70710677f, 1e-7);
    EXPECT_NEAR(GridSin[6], 0.5f, 1e-7);
    for (const Row& row : rows)
        for (int p = 0; p < kProjectionCount; ++p)
            EXPECT_NEAR(GridRadius[row.i][p], row.radius[p], 1.5e-6 * std::max(1.0f, row.radius[p]))
                << "i=" << row.i << " p=" << p;
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(GridRadius[0][p], 1.0f) << "p=" << p;
    EXPECT_EQ(GridRadius[0][kPerspective], 0.0f);

    // Row 18 (the zenith) lies a hair past the centre, not on it.
    const double row18[kProjectionCount] = {-4.4e-8, -3.1e-8, -2.8e-8, -2.2e-8, -4.4e-8};
    for (int p = 0; p < kProjectionCount; ++p) {
        EXPECT_LT(GridRadius[18][p], 0.0f) << "p=" << p;
        EXPECT_NEAR(GridRadius[18][p], row18[p], 0.1e-8) << "p=" << p;
    }
}

TEST(ProjectionModel, RadialFunctionsMatchClosedForms)
{
    constexpr double pi = std::numbers::pi;
    for (int n = 0; n <= 1000; ++n) {
        const double t = n / 1000.0; // z for r_over_sin, w for sin_over_r
        const double theta = std::acos(t);
        const double eqdRos = t == 1.0 ? 2.0 / pi : (2.0 * theta / pi) / std::sin(theta);
        EXPECT_EQ(r_over_sin(t, kOrthographic), 1.0);
        EXPECT_NEAR(r_over_sin(t, kEquisolidangle), 1.0 / std::sqrt(1.0 + t), 6e-7) << t;
        EXPECT_NEAR(r_over_sin(t, kEquidistant), eqdRos, 6e-7) << t;
        EXPECT_DOUBLE_EQ(r_over_sin(t, kStereographic), 1.0 / (1.0 + t));
        if (t > 0.0) {
            EXPECT_EQ(r_over_sin(t, kPerspective), 1.0 / t);
        }

        const double rho = std::sqrt(1.0 - t * t);
        const double eqdSor = rho == 0.0 ? pi / 2.0 : std::sin(rho * pi / 2.0) / rho;
        EXPECT_EQ(sin_over_r(t, kOrthographic), 1.0);
        // The fit's worst deviation is 6.05e-5 (near w = 0.068).
        EXPECT_NEAR(sin_over_r(t, kEquisolidangle), std::sqrt(1.0 + t * t), 6.1e-5) << t;
        EXPECT_NEAR(sin_over_r(t, kEquidistant), eqdSor, 6e-5) << t;
        EXPECT_DOUBLE_EQ(sin_over_r(t, kStereographic), 1.0 / (1.0 - t * t / 2.0));
    }
}

TEST(ProjectionModel, RadialFunctionEdges)
{
    // Perspective at the horizon: the plain IEEE quotient 1/0.
    EXPECT_EQ(r_over_sin(0.0, kPerspective), std::numeric_limits<double>::infinity());
    // A code outside the tables is refused, never read.
    for (int32_t p : {-1, 5, 1000, INT32_MIN}) {
        EXPECT_THROW((void)r_over_sin(0.5, p), std::out_of_range) << p;
        EXPECT_THROW((void)sin_over_r(0.5, p), std::out_of_range) << p;
        EXPECT_STREQ(projectionName(p), "") << p;
        EXPECT_FALSE(rationalIsExact(p)) << p;
    }
}

TEST(ProjectionModel, Atn2Cases)
{
    struct Case {
        double y, x, expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {0, -1, -3.1415927410125732}, // x < 0, y = 0: minus pi
        {1, 0, 1.5707963705062866},   // vertical: single-precision pi/2
        {0, 0, 0},
        {-2, 5e-11, -1.5707963705062866}, // the threshold decides, not the sign of x
        {-2, -5e-11, -1.5707963705062866},
        {1, 1, std::atan(1.0)},
        {1, -1, std::atan(-1.0) + 3.1415927410125732},
        {-1, -1, std::atan(1.0) - 3.1415927410125732},
        {1e300, 1e-9, 0}, // overflowing quotient
        {inf, 1, 0},
        {nan, 1, 0},
        {1, nan, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(atn2(c.y, c.x), c.expected) << "atn2(" << c.y << ", " << c.x << ")";
}

// Every code the table answers for, and codes around them that it must not
// know: what each is called and what it may be.
TEST(ProjectionKinds, EachCodeItsNameKeyAndUse)
{
    const struct {
        int32_t code;
        const char* name; // nullptr: not a projection
        const char* key;
        bool fisheye, ideal, source;
    } cases[] = {
        {-1, nullptr, "", false, false, false},
        {RixOrthographic, "Orthographic", "orthographic", true, true, true},
        {RixEquisolidangle, "Equisolidangle", "equisolidangle", true, true, true},
        {RixEquidistant, "Equidistant", "equidistant", true, true, true},
        {RixStereographic, "Stereographic", "stereographic", true, true, true},
        {RixPerspective, "Perspective", "perspective", false, true, false},
        {RixLensSource, "lens", "lens", false, false, true},
        {6, nullptr, "", false, false, false},
        {INT32_MIN, nullptr, "", false, false, false},
    };
    for (const auto& c : cases) {
        const ProjectionKind* kind = projectionKind(c.code);
        ASSERT_EQ(kind != nullptr, c.name != nullptr) << c.code;
        if (kind) {
            EXPECT_STREQ(kind->name, c.name);
            EXPECT_STREQ(kind->key, c.key);
        }
        EXPECT_EQ(isIdealFisheye(c.code), c.fisheye) << c.code;
        EXPECT_EQ(isIdealProjection(c.code), c.ideal) << c.code;
        EXPECT_EQ(isProjection(c.code), c.ideal) << c.code;
        EXPECT_EQ(isSourceProjection(c.code), c.source) << c.code;
        EXPECT_STREQ(projectionName(c.code), c.ideal ? c.name : "") << c.code;
    }
    EXPECT_STREQ(projectionKind(kEquisolidangle)->shortKey, "equisolid");
}

// Codes, names and keys each name one row only.
TEST(ProjectionKinds, OneRowPerCodeNameAndKey)
{
    std::set<int32_t> codes;
    std::set<std::string> names, keys;
    for (const ProjectionKind& kind : kProjectionKinds) {
        EXPECT_TRUE(codes.insert(kind.code).second) << kind.name;
        EXPECT_TRUE(names.insert(kind.name).second) << kind.name;
        EXPECT_TRUE(keys.insert(kind.key).second) << kind.key;
        if (*kind.shortKey) {
            EXPECT_TRUE(keys.insert(kind.shortKey).second) << kind.shortKey;
        }
    }
}

namespace {

constexpr ProjectionRecord kCircle{600.0, 400.0, 350.0, 0.0, 0.0, 0.0, 1};

} // namespace

// Each field counts, compared as a number where a byte-by-byte comparison
// answers otherwise: a negative zero is the same angle, and a NaN field is
// never a known circle.
TEST(SameRecord, ComparesEachFieldAsANumber)
{
    double ProjectionRecord::*const fields[] = {&ProjectionRecord::Cx, &ProjectionRecord::Cy, &ProjectionRecord::R,
        &ProjectionRecord::Alpha, &ProjectionRecord::Beta, &ProjectionRecord::Rot};
    EXPECT_TRUE(sameRecord(kCircle, kCircle));
    for (double ProjectionRecord::*field : fields) {
        ProjectionRecord moved = kCircle;
        moved.*field += 0.5;
        EXPECT_FALSE(sameRecord(moved, kCircle));
    }
    ProjectionRecord otherProjection = kCircle;
    otherProjection.Proj = 2;
    EXPECT_FALSE(sameRecord(otherProjection, kCircle));

    ProjectionRecord negativeZero = kCircle;
    negativeZero.Rot = -0.0;
    ASSERT_NE(std::memcmp(&negativeZero, &kCircle, sizeof kCircle), 0);
    EXPECT_TRUE(sameRecord(negativeZero, kCircle));

    ProjectionRecord unknown = kCircle;
    unknown.Cx = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(sameRecord(unknown, unknown));
    EXPECT_FALSE(sameRecord(unknown, kCircle));
}

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
        EXPECT_NEAR(angles->azimuthDeg, c.azimuth, 0.01); // within [0, 360)
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
