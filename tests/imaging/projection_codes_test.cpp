// The projection codes of rix.h: which codes are fisheye, which a photo or a
// conversion may have (alike from C and C++), and that every entry point and
// every kernel build refuses the others.
#include "deform_kernels.h"
#include "rix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

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

TEST(ProjectionCodes, UnknownCodesAreRefused)
{
    const int32_t image = RixCreate(20, 20), dst = RixCreate(20, 20);
    ASSERT_GT(image, 0);
    ASSERT_GT(dst, 0);
    const ProjectionRecord good = {10, 10, 9, 0, 0, 0, RixEquidistant};
    const int32_t xs[1] = {10}, ys[1] = {10};
    uint32_t out[1] = {};
    float sx[1] = {}, sy[1] = {};
    for (const int32_t code : kUnknown) {
        SCOPED_TRACE(code);
        ProjectionRecord bad = good;
        bad.Proj = code;
        EXPECT_EQ(RixSDeform(image, dst, &bad, &good, 0), 0);
        EXPECT_EQ(RixSDeform(image, dst, &good, &bad, 0), 0);
        EXPECT_EQ(RixSDeformPoints(image, 20, 20, &good, &bad, 0, xs, ys, 1, out), 0);
        EXPECT_EQ(RixSDeformSources(20, 20, &bad, &good, xs, ys, 1, sx, sy), 0);
    }
    ProjectionRecord perspective = good;
    perspective.Proj = RixPerspective;
    EXPECT_EQ(RixSDeform(image, dst, &perspective, &good, 0), 0); // may only be made
    EXPECT_EQ(RixSDeform(image, dst, &good, &perspective, 0), 1);
    RixDestroy(image);
    RixDestroy(dst);
}

// A kernel given a code no conversion accepts maps every pixel to nothing,
// rather than reading the code as some projection.
TEST(ProjectionCodes, KernelsMapUnknownCodesToNothing)
{
    for (const rix::KernelIsa isa : {rix::KernelIsa::Reference, rix::KernelIsa::Avx2, rix::KernelIsa::Avx512}) {
        if (!rix::kernelIsaSupported(isa))
            continue;
        for (const int32_t code : kUnknown)
            for (const bool onDestination : {true, false}) {
                rix::MapConstants k;
                k.fit = &rix::RadialFit::instance();
                k.m[0][0] = k.m[1][1] = k.m[2][2] = 1.0f;
                (onDestination ? k.dstProj : k.srcProj) = code;
                std::vector<float> sx(8, 0.0f), sy(8, 0.0f);
                rix::deformKernels(isa).mapRow(k, 0.0f, 0.01f, 0.0f, 0.0f, 8, sx.data(), sy.data());
                for (int i = 0; i < 8; ++i) {
                    EXPECT_EQ(sx[std::size_t(i)], -1.0f);
                    EXPECT_EQ(sy[std::size_t(i)], -1.0f);
                }
            }
    }
}

} // namespace
