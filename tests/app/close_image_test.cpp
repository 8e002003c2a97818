#include "recording_hooks.h"

#include <gtest/gtest.h>

using namespace karwen;
using karwen::test::AppState;
using View = karwen::test::RecordingHooks::View;
using Events = std::vector<std::string>;

using CloseImage = AppState;

TEST_F(CloseImage, WithoutImageOnlyDisables)
{
    // Right after start-up the handles are 0; closing passes them on and
    // leaves -1 behind.
    close_image();
    EXPECT_EQ(hooks.events, (Events{"unloadSrc 0,0", "unloadDst 0,0", "commandStates -1,-1"}));
    EXPECT_EQ(hSrc, -1);
    EXPECT_EQ(hDst, -1);
    EXPECT_STREQ(RixLastError(), "") << "RixDestroy must accept 0 and -1";

    hooks.events.clear();
    close_image();
    EXPECT_EQ(hooks.events, (Events{"unloadSrc -1,-1", "unloadDst -1,-1", "commandStates -1,-1"}));
}

TEST_F(CloseImage, ReenteredFromTheViewsUnloadHandlers)
{
    const int32_t src = RixCreate(40, 30);
    const int32_t dst = RixCreate(20, 20);
    ASSERT_GE(src, 1);
    ASSERT_GE(dst, 1);
    hSrc = src;
    hDst = dst;
    hooks.src = View::Loaded;
    hooks.dst = View::Loaded;
    const ProjectionRecord keptSrc = SrcPrm = {500, 400, 470, 1, 2, 3, 2};
    RefX = 12.5f;

    close_image();

    const std::string h = std::to_string(src) + "," + std::to_string(dst);
    // Outer call -> source unload -> inner call -> destination unload ->
    // innermost call, which destroys both images; then each level finishes.
    const Events expected{
        "unloadSrc " + h,      // outer: runs the source view's unload handler
        "unloadSrc " + h,      //  inner: source already unloading
        "unloadDst " + h,      //  inner: runs the destination's handler
        "unloadSrc " + h,      //   innermost
        "unloadDst " + h,      //   innermost: already unloading
        "commandStates -1,-1", //   innermost, after destroying both
        "commandStates -1,-1", //  inner
        "unloadDst -1,-1",     // outer: destination already unloaded
        "commandStates -1,-1",
    };
    EXPECT_EQ(hooks.events, expected);
    EXPECT_EQ(hSrc, -1);
    EXPECT_EQ(hDst, -1);
    EXPECT_EQ(hooks.src, View::Unloaded);
    EXPECT_EQ(hooks.dst, View::Unloaded);
    // Both images are gone and the outer calls' RixDestroy(-1) was harmless.
    EXPECT_EQ(RixWidth(src), 0);
    EXPECT_EQ(RixWidth(dst), 0);

    // The conversion parameters survive.
    EXPECT_EQ(SrcPrm.R, keptSrc.R);
    EXPECT_EQ(SrcPrm.Proj, keptSrc.Proj);
    EXPECT_EQ(RefX, 12.5f);
    EXPECT_EQ(DstW, 512);
}
