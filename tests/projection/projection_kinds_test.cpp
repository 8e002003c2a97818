#include "projection_kinds.h"
#include "projection_model.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace karwen;

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
    EXPECT_EQ(kProjectionCount, 5);
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
