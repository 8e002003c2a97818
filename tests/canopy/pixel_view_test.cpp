// The pixels the imaging library hands out without a copy are the ones it
// draws: every pixel of the view against a 1:1 RixStretchBlt of the whole
// image, for the sample photo as loaded and for a wider-than-high result of
// resampling it.
#include "pixel_view.h"

#include "projection_model.h"
#include "rix.h"
#include "synthetic_sky.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace karwen::canopy {
namespace {

// Canvas rows run top-down, the view's rows bottom-up.
void expectViewMatchesBlit(int32_t handle)
{
    const std::optional<PixelView> view = pixelViewOf(handle);
    ASSERT_TRUE(view.has_value()) << RixLastError();
    ASSERT_TRUE(isValid(*view));
    ASSERT_EQ(view->width, RixWidth(handle));
    ASSERT_EQ(view->height, RixHeight(handle));
    const int w = view->width, h = view->height;
    std::vector<uint32_t> canvas(std::size_t(w) * std::size_t(h), 0u);
    RixCanvas dc{reinterpret_cast<uint8_t*>(canvas.data()), w, h, w * 4};
    ASSERT_EQ(RixStretchBlt(handle, 0, 0, w, h, &dc, 0, 0, w, h), 1) << RixLastError();
    int differing = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            differing += view->row(y)[x] != canvas[std::size_t(h - 1 - y) * std::size_t(w) + std::size_t(x)];
    EXPECT_EQ(differing, 0);
}

TEST(PixelView, SeesWhatTheLibraryDraws)
{
    const test::RixImage photo(std::string(KARWEN_SAMPLES_DIR) + "/allsky_day.jpg"), wide(321, 203);
    ASSERT_GT(photo.handle(), 0) << RixLastError();
    expectViewMatchesBlit(photo.handle());

    const ProjectionRecord src{250, 250, 240, 0, 0, 0, kEquidistant};
    const ProjectionRecord dst{160, 100, 150, 0, 0, 0, kOrthographic};
    ASSERT_EQ(RixSDeform(photo.handle(), wide.handle(), &src, &dst, 1), 1) << RixLastError();
    expectViewMatchesBlit(wide.handle());
}

TEST(PixelView, NoImageNoView)
{
    const int32_t image = RixCreate(4, 4);
    ASSERT_EQ(RixDestroy(image), 1);
    for (const int32_t handle : {0, -1, image}) {
        EXPECT_FALSE(pixelViewOf(handle).has_value()) << handle;
        EXPECT_EQ(std::string(RixLastError()).rfind("RixPixels", 0), 0u) << RixLastError();
    }
    const uint32_t* bits = nullptr;
    const int32_t live = RixCreate(4, 4);
    EXPECT_EQ(RixPixels(live, &bits, nullptr), 0);
    EXPECT_EQ(RixDestroy(live), 1);
}

} // namespace
} // namespace karwen::canopy
