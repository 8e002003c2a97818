// RixStretchBlt against a plain per-pixel reference and against the views'
// image <-> view mapping.
#include "codec_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kUntouched = 0x12345678u;

// The pixel at (x, y) of a test image tells its own position.
uint32_t positionAt(int64_t x, int64_t y) { return 0xff000000u | uint32_t(y << 12 | x); }

struct TestImage : codec_test::OwnedImage {
    TestImage(int32_t w, int32_t h)
        : OwnedImage(w, h, positionAt)
    {
    }
    int32_t width() const { return image().width(); }
    int32_t height() const { return image().height(); }
};

// A canvas with padding at the end of each row, filled with a marker.
struct TestCanvas {
    TestCanvas(int32_t w, int32_t h, int32_t padPixels = 3)
        : pixels(std::size_t(w + padPixels) * std::size_t(h), kUntouched)
        , canvas{reinterpret_cast<uint8_t*>(pixels.data()), w, h, (w + padPixels) * 4}
    {
    }
    uint32_t at(int32_t x, int32_t y) const { return pixels[std::size_t(y) * (canvas.bytesPerLine / 4) + x]; }
    std::vector<uint32_t> pixels;
    RixCanvas canvas;
};

struct Blit {
    int32_t sx, sy, sw, sh, dx, dy, dw, dh;
};

// The documented mapping, evaluated per pixel in long double.
std::vector<uint32_t> reference(const TestImage& image, const TestCanvas& target, const Blit& b)
{
    std::vector<uint32_t> out = target.pixels;
    const int32_t stride = target.canvas.bytesPerLine / 4;
    if (b.sw <= 0 || b.sh <= 0 || b.dw <= 0 || b.dh <= 0)
        return out;
    for (int32_t cy = 0; cy < target.canvas.height; ++cy) {
        for (int32_t cx = 0; cx < target.canvas.width; ++cx) {
            if (cx < int64_t(b.dx) || cx >= int64_t(b.dx) + b.dw || cy < int64_t(b.dy) || cy >= int64_t(b.dy) + b.dh)
                continue;
            const auto col = int64_t(std::floor(b.sx + (cx - (long double)b.dx + 0.5L) * b.sw / b.dw));
            const auto row = int64_t(std::floor(b.sy + b.sh - (cy - (long double)b.dy + 0.5L) * b.sh / b.dh));
            if (col < 0 || col >= image.width() || row < 0 || row >= image.height())
                continue;
            out[std::size_t(cy) * stride + cx] = positionAt(col, row);
        }
    }
    return out;
}

void expectMatchesReference(const TestImage& image, int32_t canvasW, int32_t canvasH, const Blit& b)
{
    TestCanvas target(canvasW, canvasH);
    const std::vector<uint32_t> expected = reference(image, target, b);
    ASSERT_EQ(RixStretchBlt(image.id(), b.sx, b.sy, b.sw, b.sh, &target.canvas, b.dx, b.dy, b.dw, b.dh), 1)
        << RixLastError();
    ASSERT_EQ(target.pixels, expected) << "image " << image.width() << "x" << image.height() << " canvas " << canvasW
                                       << "x" << canvasH << " src " << b.sx << "," << b.sy << " " << b.sw << "x" << b.sh
                                       << " dst " << b.dx << "," << b.dy << " " << b.dw << "x" << b.dh;
}

// The view's call: picture pw x ph at zoom `scale`, offsets ViewX0/ViewY0.
struct ViewCase {
    double scale;
    int32_t imageW, imageH;
    int32_t pictureW, pictureH;
    int32_t viewX0, viewY0;
};

class StretchBltView : public ::testing::TestWithParam<ViewCase> { };

TEST_P(StretchBltView, EachCanvasPixelShowsTheImagePixelUnderItsCentre)
{
    const ViewCase c = GetParam();
    TestImage image(c.imageW, c.imageH);
    const auto sw = int32_t(std::nearbyint(c.pictureW / c.scale));
    const auto sh = int32_t(std::nearbyint(c.pictureH / c.scale));
    TestCanvas target(c.pictureW, c.pictureH);
    ASSERT_EQ(RixStretchBlt(image.id(), c.viewX0, c.viewY0, sw, sh, &target.canvas, 0, 0, c.pictureW, c.pictureH), 1);
    ASSERT_EQ(target.pixels, reference(image, target, {c.viewX0, c.viewY0, sw, sh, 0, 0, c.pictureW, c.pictureH}));

    // Where the picture holds a whole number of image pixels the blit agrees
    // with the view mapping: image x = view x / scale + ViewX0,
    // image y = ViewY0 - (view y - picture height) / scale.
    if (sw * c.scale != c.pictureW || sh * c.scale != c.pictureH)
        return;
    int drawn = 0;
    for (int32_t vy = 0; vy < c.pictureH; ++vy) {
        for (int32_t vx = 0; vx < c.pictureW; ++vx) {
            const double ix = (vx + 0.5) / c.scale + c.viewX0;
            const double iy = c.viewY0 - (vy + 0.5 - c.pictureH) / c.scale;
            const bool inside = ix >= 0 && ix < c.imageW && iy >= 0 && iy < c.imageH;
            const uint32_t expected = inside ? positionAt(int64_t(ix), int64_t(iy)) : kUntouched;
            ASSERT_EQ(target.at(vx, vy), expected) << "view pixel " << vx << "," << vy;
            drawn += inside;
        }
    }
    EXPECT_GT(drawn, 0);
}

INSTANTIATE_TEST_SUITE_P(StretchBltZooms, StretchBltView,
    ::testing::Values(
        // whole image centred in a larger picture (negative offsets)
        ViewCase{1, 64, 48, 133, 133, -34, -42}, ViewCase{2, 64, 48, 200, 140, -18, -11},
        ViewCase{0.5, 300, 200, 160, 120, -10, -20}, ViewCase{0.25, 512, 384, 160, 120, -64, -48},
        ViewCase{0.75, 200, 100, 180, 96, -20, -14}, ViewCase{1.5, 60, 40, 120, 90, -10, -10},
        ViewCase{4, 20, 10, 133, 133, -6, -11}, ViewCase{8, 9, 7, 133, 133, -4, -5},
        // scrolled inside a larger image
        ViewCase{8, 512, 300, 256, 256, 100, 37}, ViewCase{4, 300, 300, 200, 160, 250, 260},
        ViewCase{1, 500, 500, 128, 96, 372, 404}, ViewCase{0.5, 700, 500, 300, 200, 100, 99},
        ViewCase{0.25, 2048, 1024, 256, 200, 1000, 224}, ViewCase{1.5, 300, 200, 150, 150, 17, 33},
        ViewCase{0.75, 800, 600, 300, 225, 123, 77}, ViewCase{2, 97, 83, 100, 100, 47, 33}),
    [](const ::testing::TestParamInfo<ViewCase>& test) {
        const ViewCase& c = test.param;
        return "zoom" + std::to_string(int(c.scale * 100)) + "_image" + std::to_string(c.imageW) + "x"
            + std::to_string(c.imageH) + "_at" + std::to_string(test.index);
    });

TEST(StretchBlt, RandomRectanglesMatchReference)
{
    std::mt19937 rng(20240621);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const TestImage images[] = {TestImage(1, 1), TestImage(37, 23), TestImage(5, 90), TestImage(128, 64)};
    for (int n = 0; n < 600; ++n) {
        const TestImage& image = images[n % 4];
        const int32_t cw = uniform(1, 70), ch = uniform(1, 70);
        const Blit b{uniform(-60, 140), uniform(-60, 100), uniform(1, 150), uniform(1, 150), uniform(-40, 60),
            uniform(-40, 60), uniform(1, 120), uniform(1, 120)};
        expectMatchesReference(image, cw, ch, b);
        if (HasFatalFailure())
            return;
    }
}

TEST(StretchBlt, EmptyRectanglesAndOffCanvasDrawNothing)
{
    const TestImage image(16, 16);
    const Blit cases[] = {{0, 0, 0, 16, 0, 0, 8, 8}, {0, 0, 16, -1, 0, 0, 8, 8}, {0, 0, 16, 16, 0, 0, 0, 8},
        {0, 0, 16, 16, 0, 0, 8, -3}, {16, 0, 16, 16, 0, 0, 8, 8}, {0, -16, 16, 16, 0, 0, 8, 8},
        {0, 0, 16, 16, 8, 0, 8, 8}, {0, 0, 16, 16, -8, -8, 8, 8}};
    for (const Blit& b : cases) {
        TestCanvas target(8, 8);
        EXPECT_EQ(RixStretchBlt(image.id(), b.sx, b.sy, b.sw, b.sh, &target.canvas, b.dx, b.dy, b.dw, b.dh), 1);
        EXPECT_EQ(target.pixels, std::vector<uint32_t>(target.pixels.size(), kUntouched));
    }
}

TEST(StretchBlt, ExtremeCoordinatesDoNotOverflow)
{
    const TestImage image(4, 4);
    TestCanvas target(16, 16);
    // The canvas shows the last 16 columns and rows of a rectangle about 2^31
    // pixels wide that stretches the image: all of them lie in image column 3
    // and image row 0 (the rectangle's bottom).
    const int32_t big = INT32_MAX;
    ASSERT_EQ(RixStretchBlt(image.id(), 0, 0, 4, 4, &target.canvas, 16 - big, 16 - big, big, big), 1);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            ASSERT_EQ(target.at(x, y), positionAt(3, 0));

    TestCanvas other(16, 16);
    EXPECT_EQ(
        RixStretchBlt(image.id(), INT32_MIN, INT32_MIN, big, big, &other.canvas, INT32_MIN, INT32_MIN, big, big), 1);
    EXPECT_EQ(RixStretchBlt(image.id(), INT32_MAX, INT32_MAX, big, big, &other.canvas, 0, 0, big, big), 1);
    EXPECT_EQ(other.pixels, std::vector<uint32_t>(other.pixels.size(), kUntouched));
}

TEST(StretchBlt, RefusesBadHandleAndCanvas)
{
    const TestImage image(8, 8);
    TestCanvas target(8, 8);
    EXPECT_EQ(RixStretchBlt(0, 0, 0, 8, 8, &target.canvas, 0, 0, 8, 8), 0);
    EXPECT_EQ(RixStretchBlt(987654, 0, 0, 8, 8, &target.canvas, 0, 0, 8, 8), 0);
    EXPECT_EQ(RixStretchBlt(image.id(), 0, 0, 8, 8, nullptr, 0, 0, 8, 8), 0);
    RixCanvas narrow = target.canvas;
    narrow.bytesPerLine = 8;
    EXPECT_EQ(RixStretchBlt(image.id(), 0, 0, 8, 8, &narrow, 0, 0, 8, 8), 0);
    RixCanvas misaligned = target.canvas;
    misaligned.bits += 1;
    misaligned.width = 7;
    EXPECT_EQ(RixStretchBlt(image.id(), 0, 0, 8, 8, &misaligned, 0, 0, 8, 8), 0);
    EXPECT_STRNE(RixLastError(), "");
    EXPECT_EQ(target.pixels, std::vector<uint32_t>(target.pixels.size(), kUntouched));
}

} // namespace
