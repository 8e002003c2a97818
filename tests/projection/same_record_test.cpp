#include "same_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace karwen;

namespace {

constexpr ProjectionRecord kCircle{600.0, 400.0, 350.0, 0.0, 0.0, 0.0, 1};

} // namespace

// The cases where a byte-by-byte comparison answers otherwise: a negative
// zero is the same angle, and a NaN field is never a known circle.
TEST(SameRecord, ComparesFieldsAsNumbers)
{
    ProjectionRecord negativeZero = kCircle;
    negativeZero.Rot = -0.0;
    ASSERT_NE(std::memcmp(&negativeZero, &kCircle, sizeof kCircle), 0);
    EXPECT_TRUE(sameRecord(negativeZero, kCircle));

    ProjectionRecord unknown = kCircle;
    unknown.Cx = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(sameRecord(unknown, unknown));
    EXPECT_FALSE(sameRecord(unknown, kCircle));
}

TEST(SameRecord, EachFieldCounts)
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
}
