#include "recording_hooks.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace karwen;
using karwen::test::AppState;
using Events = std::vector<std::string>;

using Conversion = AppState;

namespace {

// A failure message that any library call would replace: it clears the
// message on entry.
void markLastError()
{
    ASSERT_EQ(RixWidth(-7), 0);
    ASSERT_STRNE(RixLastError(), "");
}

} // namespace

TEST_F(Conversion, NoCallWithoutBothImages)
{
    const int32_t image = RixCreate(16, 16);
    ASSERT_GE(image, 1);
    const std::pair<int32_t, int32_t> handles[] = {{0, 0}, {-1, -1}, {image, 0}, {image, -1}, {0, image}, {-1, image}};
    for (const auto& [src, dst] : handles) {
        hSrc = src;
        hDst = dst;
        markLastError();
        const std::string before = RixLastError();
        convert();
        EXPECT_EQ(RixLastError(), before) << "convert called the library with " << src << ", " << dst;
    }
    hSrc = image;
    hDst = -1;
}

TEST_F(Conversion, CallsTheLibraryWithBothImages)
{
    hSrc = RixCreate(64, 64);
    hDst = RixCreate(DstW, DstH);
    ASSERT_GE(hSrc, 1);
    ASSERT_GE(hDst, 1);
    SrcPrm = {32, 32, 30, 0, 0, 0, kEquidistant};
    markLastError();
    const std::string before = RixLastError();
    convert();
    // Success clears the message, a failure names RixSDeform: either way
    // the library was called.
    const std::string after = RixLastError();
    EXPECT_TRUE(after.empty() || after.rfind("RixSDeform", 0) == 0) << after;
    EXPECT_NE(after, before);
    EXPECT_EQ(RixWidth(hDst), 512) << "convert must not recreate the destination";
}

TEST_F(Conversion, RebuildingTheDestinationFollowsItsSize)
{
    rebuildDestination();
    EXPECT_TRUE(hooks.events.empty()) << "no destination image, nothing to rebuild";

    hSrc = RixCreate(64, 64);
    hDst = RixCreate(DstW, DstH);
    const int32_t first = hDst;
    AreaOn = true;
    rebuildDestination();
    EXPECT_EQ(hDst, first) << "the same size keeps the image and its zoom";
    EXPECT_EQ(hooks.events, (Events{"placeDots", "redrawDst"}));

    hooks.events.clear();
    AreaOn = false;
    DstW = 100;
    rebuildDestination();
    EXPECT_EQ(RixWidth(first), 0) << "the old image is gone";
    EXPECT_EQ(RixWidth(hDst), 100);
    EXPECT_EQ(RixHeight(hDst), DstH);
    EXPECT_EQ(hooks.events, (Events{"resetDstScale", "redrawDst"}));
}

// Runs without any windows (tests, a command line): every routine that
// asks the windows for something must still return, and do its own part.
TEST_F(Conversion, WithoutWindowsEveryRoutineStillDoesItsOwnPart)
{
    setWindowHooks(nullptr);
    const int32_t source = hSrc = RixCreate(8, 8);
    const int32_t result = hDst = RixCreate(8, 8);
    AreaOn = true;
    area_update();
    dst_update();
    dst_reset_sc();
    src_update();
    reset_src_param(false);
    close_image(); // a crash here would be a request sent to no window
    EXPECT_EQ(hSrc, -1);
    EXPECT_EQ(hDst, -1);
    EXPECT_EQ(RixWidth(source), 0) << "the source image was not destroyed";
    EXPECT_EQ(RixWidth(result), 0) << "the result was not destroyed";
}
