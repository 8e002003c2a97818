// RixFindCircle on noisy synthetic frames whose circles are known, on
// frames that hold no image circle, on the real photographs and on those
// reduced to smaller sizes; RixBound on synthetic images with known circles
// and on the real photographs; RixStretchBlt against a plain per-pixel
// reference and against the views' image <-> view mapping.
#include "codec_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

using codec_test::OwnedImage;

enum class Content { Uniform, DarkCanopyAtRim };

struct NoisyDisc {
    const char* name;
    int32_t w, h;
    double cx, cy, r; // continuous coordinates, y up from the bottom row
    double background, contrast, sigma;
    Content content;
    uint32_t seed;
};

std::ostream& operator<<(std::ostream& os, const NoisyDisc& c) { return os << c.name; }

// The disc's level at (dx, dy) from its centre: uniform, or with dark
// canopy-like wedges over the outer fifth that hide the rim at more than
// half of the angles.
double discLevel(const NoisyDisc& d, double dx, double dy)
{
    const double rho = std::hypot(dx, dy) / d.r;
    if (d.content == Content::DarkCanopyAtRim && rho > 0.8 && std::sin(7 * std::atan2(dy, dx) + 20 * rho) > -0.2)
        return d.background + 0.1 * d.contrast;
    return d.background + d.contrast;
}

// Each channel at the disc's level plus sensor noise, row after row from the
// bottom: Gaussian (Box-Muller on a fixed-seed engine, the same numbers on
// every platform), clipped to 0..255.
OwnedImage makeNoisyDisc(const NoisyDisc& d)
{
    std::mt19937 engine(d.seed);
    auto uniform = [&] { return (double(engine()) + 0.5) / 4294967296.0; };
    // The two draws in statements of their own: within one expression their
    // order would be the compiler's choice.
    auto noise = [&] {
        const double radius = std::sqrt(-2 * std::log(uniform()));
        return radius * std::cos(2 * std::numbers::pi * uniform());
    };
    return OwnedImage(d.w, d.h, [&](int x, int y) {
        const double dx = x + 0.5 - d.cx, dy = y + 0.5 - d.cy;
        const double level = std::hypot(dx, dy) <= d.r ? discLevel(d, dx, dy) : d.background;
        auto channel = [&] { return uint8_t(std::clamp(std::lround(level + d.sigma * noise()), 0L, 255L)); };
        const uint8_t red = channel(), green = channel(), blue = channel();
        return rix::packRgb(red, green, blue);
    });
}

class NoisyDiscs : public ::testing::TestWithParam<NoisyDisc> { };

TEST_P(NoisyDiscs, FoundWithinTwoPixels)
{
    const NoisyDisc d = GetParam();
    const OwnedImage image = makeNoisyDisc(d);
    RixCircle circle{};
    ASSERT_EQ(RixFindCircle(image.id(), &circle), 1) << RixLastError();
    EXPECT_EQ(circle.Confident, 1);
    EXPECT_NEAR(circle.Cx, d.cx, 2.0);
    EXPECT_NEAR(circle.Cy, d.cy, 2.0);
    EXPECT_NEAR(circle.R, d.r, 2.0);
}

constexpr auto kUniform = Content::Uniform;
constexpr auto kCanopy = Content::DarkCanopyAtRim;

INSTANTIATE_TEST_SUITE_P(FindCircle, NoisyDiscs,
    ::testing::Values(
        // Found as r 246 in the middle of the picture before.
        NoisyDisc{"small_in_corner", 640, 480, 100, 100, 60, 10, 60, 3, kUniform, 1},
        NoisyDisc{"centred_r480", 1280, 1024, 640, 512, 480, 20, 120, 8, kUniform, 2},
        NoisyDisc{"low_contrast_loud_noise", 800, 600, 410.3, 290.8, 250, 30, 40, 10, kUniform, 3},
        NoisyDisc{"clipped_black_surround", 1000, 750, 520, 380, 340, 0, 40, 10, kUniform, 4},
        NoisyDisc{"small_far_off_centre", 1600, 1200, 1400, 250, 60, 5, 45, 10, kUniform, 5},
        NoisyDisc{"canopy_at_rim", 1200, 900, 590.5, 455.2, 420, 8, 150, 6, kCanopy, 6},
        NoisyDisc{"canopy_low_contrast", 900, 700, 440, 350, 300, 15, 60, 10, kCanopy, 7},
        NoisyDisc{"canopy_5mpx", 2592, 1944, 1300, 970, 900, 4, 100, 8, kCanopy, 8},
        NoisyDisc{"cut_top_and_bottom", 1000, 700, 505, 350, 380, 12, 90, 7, kUniform, 9},
        NoisyDisc{"cut_on_the_left", 1000, 700, 330, 360, 400, 6, 80, 9, kCanopy, 10},
        NoisyDisc{"portrait", 600, 900, 300, 420, 270, 25, 50, 5, kUniform, 11}),
    [](const ::testing::TestParamInfo<NoisyDisc>& test) { return std::string(test.param.name); });

// Saved as JPEG, a coloured disc on black leaves faint traces of its
// subsampled colour up to a block beyond the rim; the rim stays where the
// disc ends (found 7 px out, and not trusted, before).
TEST(FindCircle, ColouredDiscsThroughJpeg)
{
    const karwen::test::ScratchFolder folder;
    const std::string path = folder.file("disc.jpg");
    for (const uint32_t colour : {rix::packRgb(200, 120, 40), rix::packRgb(40, 200, 120), rix::packRgb(90, 140, 200)}) {
        const OwnedImage disc(300, 200, [&](int x, int y) {
            return std::hypot(x + 0.5 - 130.5, y + 0.5 - 70.5) <= 60 ? colour : rix::packRgb(0, 0, 0);
        });
        int32_t quality = 85;
        ASSERT_EQ(RixSaveJPG(disc.id(), path.c_str(), &quality), 1) << RixLastError();
        const OwnedImage loaded(RixLoadJPG(path.c_str()));
        RixCircle circle{};
        ASSERT_EQ(RixFindCircle(loaded.id(), &circle), 1) << RixLastError();
        EXPECT_EQ(circle.Confident, 1) << std::hex << colour;
        EXPECT_NEAR(circle.Cx, 130.5, 2.0) << std::hex << colour;
        EXPECT_NEAR(circle.Cy, 70.5, 2.0) << std::hex << colour;
        EXPECT_NEAR(circle.R, 60.0, 2.0) << std::hex << colour;
    }
}

// A frame without a usable image circle: no disc, too small a disc, too
// faint a disc, and frames too small or too thin to hold one.
TEST(FindCircle, NotConfidentWithoutACircle)
{
    struct Case {
        const char* name;
        NoisyDisc frame;
        double gradient; // levels added from the left edge to the right
    };
    const Case cases[] = {
        {"lens_cap", {"", 640, 480, 320, 240, 0, 0, 0, 2, kUniform, 21}, 0},
        {"all_white", {"", 640, 480, 320, 240, 0, 255, 0, 0, kUniform, 22}, 0},
        {"noise_only", {"", 640, 480, 320, 240, 0, 10, 0, 10, kUniform, 23}, 0},
        {"label_gradient", {"", 800, 500, 400, 250, 0, 0, 0, 2, kUniform, 24}, 255},
        {"speck", {"", 800, 600, 400, 300, 25, 0, 150, 3, kUniform, 25}, 0},
        {"faint_disc", {"", 640, 480, 320, 240, 200, 20, 6, 1, kUniform, 26}, 0},
        {"one_pixel", {"", 1, 1, 0.5, 0.5, 1, 0, 200, 0, kUniform, 27}, 0},
        {"wide_strip", {"", 30000, 8, 15000, 4, 4, 0, 200, 0, kUniform, 28}, 0},
        {"tall_strip", {"", 8, 30000, 4, 15000, 4, 0, 200, 0, kUniform, 29}, 0},
    };
    for (const Case& c : cases) {
        const OwnedImage image = makeNoisyDisc(c.frame);
        if (c.gradient > 0)
            image.fill([&](int x, int) {
                const auto v = uint8_t(c.gradient * (x + 0.5) / c.frame.w);
                return rix::packRgb(v, v, uint8_t(v * 0.9));
            });
        RixCircle circle{-1, -1, -1, -1};
        ASSERT_EQ(RixFindCircle(image.id(), &circle), 1) << c.name;
        EXPECT_EQ(circle.Confident, 0) << c.name << ": " << circle.Cx << ", " << circle.Cy << ", " << circle.R;
    }
}

// The shipped sample and the real photographs, loaded at their sizes, with
// their circles as SOURCES.md gives them (y from the top, pixel indices): the
// found circle's centre is x + 0.5 and height - y - 0.5; the box RixBound
// gives is centred on x and height - y, and 0.47 of its larger side (the
// radius the program derives) lies in a range.
struct PhotoCase {
    const char* folder;
    const char* file;
    int32_t width, height;
    double x, yTop, r;
    double circleTolerance; // 0: the rim is hidden, the circle not trusted
    double boxTolerance, minRadius, maxRadius;
    [[nodiscard]] bool rimSeen() const { return circleTolerance > 0; }
};

std::ostream& operator<<(std::ostream& os, const PhotoCase& c) { return os << c.file; }

class Photos : public ::testing::TestWithParam<PhotoCase> { };

TEST_P(Photos, CircleAndBoxMatchTheMeasuredRim)
{
    const PhotoCase c = GetParam();
    LOAD_PHOTO_OR_SKIP(image, c.folder, c.file);
    EXPECT_EQ(RixWidth(image.id()), c.width);
    EXPECT_EQ(RixHeight(image.id()), c.height);
    RixCircle circle{};
    ASSERT_EQ(RixFindCircle(image.id(), &circle), 1);
    if (c.rimSeen()) {
        EXPECT_EQ(circle.Confident, 1);
        EXPECT_NEAR(circle.Cx, c.x + 0.5, c.circleTolerance);
        EXPECT_NEAR(circle.Cy, c.height - c.yTop - 0.5, c.circleTolerance);
        EXPECT_NEAR(circle.R, c.r, c.circleTolerance);
    } else {
        // The extent of the content is no rim, and is not trusted as one.
        EXPECT_TRUE(circle.R >= 730 || circle.Confident == 0) << circle.R;
    }
    RixRect box{};
    ASSERT_EQ(RixBound(image.id(), &box), 1);
    EXPECT_NEAR((box.Left + box.Right) / 2.0, c.x, c.boxTolerance);
    EXPECT_NEAR((box.Top + box.Bottom) / 2.0, c.height - c.yTop, c.boxTolerance);
    const double programRadius = 0.47 * std::max(box.Right - box.Left, box.Bottom - box.Top);
    EXPECT_GE(programRadius, c.minRadius);
    EXPECT_LE(programRadius, c.maxRadius);
}

// A photo reduced the way image editors resize, standing for the photos
// users make smaller: each output pixel the tent-weighted mean of the input
// within one output pixel's width of its centre, so that continuous
// coordinates scale by the ratio of the sides. Weights in 1/4096 summing to
// 4096 exactly, three channels summed at once in one word a pixel (21 bits
// apart), so that 64 photo sizes stay quick under the sanitizers too.
constexpr uint64_t kWhole = 4096;

struct Taps {
    int32_t first;
    std::vector<uint64_t> weights;
};

std::vector<Taps> tentTaps(int32_t from, int32_t to)
{
    const double ratio = double(from) / to;
    std::vector<Taps> taps(static_cast<std::size_t>(to));
    for (int32_t o = 0; o < to; ++o) {
        const double centre = (o + 0.5) * ratio;
        Taps& t = taps[std::size_t(o)];
        t.first = std::max(0, int32_t(centre - ratio));
        const int32_t last = std::min(from - 1, int32_t(centre + ratio));
        std::vector<double> tent;
        for (int32_t j = t.first; j <= last; ++j)
            tent.push_back(std::max(0.0, 1.0 - std::abs(j + 0.5 - centre) / ratio));
        // Rounded running sums, so that the rounded weights keep the sum.
        double total = 0;
        for (const double w : tent)
            total += w;
        double running = 0;
        uint64_t given = 0;
        for (const double w : tent) {
            running += w;
            const auto upTo = uint64_t(std::lround(running / total * kWhole));
            t.weights.push_back(upTo - given);
            given = upTo;
        }
    }
    return taps;
}

uint64_t spread(uint32_t pixel)
{
    return (pixel & 0xffu) | uint64_t(pixel & 0xff00u) << 13 | uint64_t(pixel & 0xff0000u) << 26;
}

constexpr uint64_t kLane = (uint64_t{1} << 21) - 1;

// The photo reduced into `out`: down the columns into one row of the
// photo's width, then across it.
void reduce(const rix::Image& photo, const OwnedImage& out)
{
    const int32_t width = out.image().width(), height = out.image().height();
    const std::vector<Taps> across = tentTaps(photo.width(), width), down = tentTaps(photo.height(), height);
    const std::ptrdiff_t stride = photo.stride();
    std::vector<uint64_t> row(std::size_t(photo.width()));
    for (int32_t y = 0; y < height; ++y) {
        const Taps& rows = down[std::size_t(y)];
        const uint32_t* top = photo.row(rows.first);
        for (int32_t x = 0; x < photo.width(); ++x) {
            uint64_t sums = 0;
            const uint32_t* p = top + x;
            for (const uint64_t w : rows.weights) {
                sums += w * spread(*p);
                p += stride;
            }
            row[std::size_t(x)] = sums;
        }
        uint32_t* dst = out.image().row(y);
        for (int32_t x = 0; x < width; ++x) {
            const Taps& columns = across[std::size_t(x)];
            uint64_t blue = 0, green = 0, red = 0;
            const uint64_t* sums = &row[std::size_t(columns.first)];
            for (const uint64_t w : columns.weights) {
                blue += w * (*sums & kLane);
                green += w * (*sums >> 21 & kLane);
                red += w * (*sums >> 42);
                ++sums;
            }
            auto level = [](uint64_t v) { return uint8_t((v + kWhole * kWhole / 2) / (kWhole * kWhole)); };
            dst[x] = rix::packRgb(level(red), level(green), level(blue));
        }
    }
}

// From 20 % to 95 % of the photo's size in steps of 5 %, the circle found is
// the full-size one scaled, within 2 % of its radius in centre and radius,
// or none; a photo whose rim is not seen at full size is refused at every
// size, and one whose rim is seen is still found down to half its size.
TEST_P(Photos, ReducedFullSizeCircleOrNone)
{
    const PhotoCase& c = GetParam();
    const bool rimSeen = c.rimSeen(); // found at full size
    LOAD_PHOTO_OR_SKIP(photo, c.folder, c.file);
    RixCircle full{};
    ASSERT_EQ(RixFindCircle(photo.id(), &full), 1);
    ASSERT_EQ(full.Confident, rimSeen ? 1 : 0) << full.Cx << ", " << full.Cy << ", " << full.R;
    const int32_t width = RixWidth(photo.id()), height = RixHeight(photo.id());
    for (int32_t percent = 20; percent < 100; percent += 5) {
        // Sides rounded to the nearest pixel, as image editors do.
        const int32_t w = (width * percent + 50) / 100, h = (height * percent + 50) / 100;
        const OwnedImage small(w, h);
        reduce(photo.image(), small);
        RixCircle found{};
        ASSERT_EQ(RixFindCircle(small.id(), &found), 1);
        if (!found.Confident) {
            EXPECT_FALSE(rimSeen && percent >= 50) << percent << " %: not found";
            continue;
        }
        const double sx = double(w) / width, sy = double(h) / height;
        if (!rimSeen) {
            ADD_FAILURE() << percent << " %: found at " << found.Cx / sx << ", " << found.Cy / sy << ", "
                          << found.R / sx << " (full-size pixels), not found at full size";
            continue;
        }
        const double r = full.R * 0.5 * (sx + sy);
        EXPECT_LE(std::hypot(found.Cx - sx * full.Cx, found.Cy - sy * full.Cy), 0.02 * r) << percent << " %";
        EXPECT_NEAR(found.R, r, 0.02 * r) << percent << " %";
    }
}

INSTANTIATE_TEST_SUITE_P(FindCircle, Photos,
    ::testing::Values(
        // Clean, sharp rim; burnt-in text in the corners.
        PhotoCase{KARWEN_SAMPLES_DIR, "allsky_day.jpg", 500, 500, 249.4, 249.4, 240.8, 2, 3, 0.47 * 2 * 237.8,
            0.47 * 2 * 243.8},
        // Canopy black up to the horizon hides the rim (the lens's circle is
        // about r 754, package mask 1136, 852, 754): the centre is known only
        // roughly. Found at about r 680 at a quarter of its size before, the
        // content's extent rather than the hidden rim.
        PhotoCase{KARWEN_REAL_DATA_DIR, "chestnut_fce8.jpg", 2272, 1704, 1136, 852, 754, 0, 60, 620, 800},
        // The measured outer edge of the lit circle, faint converter ring
        // (about 782 px) included.
        PhotoCase{KARWEN_REAL_DATA_DIR, "broadleaf_dusk_fce9.jpg", 2560, 1920, 1272, 985, 782, 10, 15, 0.47 * 2 * 767,
            0.47 * 2 * 797},
        PhotoCase{KARWEN_REAL_DATA_DIR, "mixed_sunlit_fce9.jpg", 2560, 1920, 1278, 986, 782, 10, 15, 0.47 * 2 * 767,
            0.47 * 2 * 797}),
    [](const ::testing::TestParamInfo<PhotoCase>& test) {
        std::string name = test.param.file;
        return name.substr(0, name.find('.'));
    });

// An image from a grey-level function of (x, y), y counted from the
// bottom, sampled at each pixel's centre and slightly tinted.
template <class F> OwnedImage makeImage(int32_t w, int32_t h, F level)
{
    return OwnedImage(w, h, [&](int x, int y) {
        const auto v = uint8_t(std::clamp(std::lround(level(x + 0.5, y + 0.5)), 0L, 255L));
        return rix::packRgb(v, uint8_t(v * 0.9), uint8_t(std::min(255, v + 20)));
    });
}

// Canopy-like content: bright sky with dark radial branches and blotches.
double canopy(double dx, double dy)
{
    const double angle = std::atan2(dy, dx);
    const double branches = std::sin(angle * 11) > 0.85 ? 0.35 : 1.0;
    const double blotch = 0.75 + 0.25 * std::sin(dx * 0.07) * std::cos(dy * 0.05);
    return 200 * branches * blotch;
}

std::array<int32_t, 4> sides(const RixRect& box) { return {box.Left, box.Top, box.Right, box.Bottom}; }

struct Disc {
    double cx, cy, r;
};

struct Scene {
    double background = 0;
    double noise = 0;     // amplitude of blocky JPEG-like noise outside the disc
    double rimDim = 0;    // share of the radius over which content fades
    double rimFloor = 0;  // level the faded content reaches at the rim
    double rimHidden = 0; // share of the radius that is black at the rim
    int rimBands = 0;     // angles at which content still reaches the rim
    bool cornerText = false;
};

double sceneLevel(const Disc& d, const Scene& s, double x, double y)
{
    const double dx = x - d.cx, dy = y - d.cy;
    const double rho = std::hypot(dx, dy) / d.r;
    // Deterministic noise per 8 x 8 block plus a pixel-level ripple.
    const auto bx = int64_t(x) / 8, by = int64_t(y) / 8;
    const double blockNoise = std::sin(double(bx * 7919 + by * 104729) * 0.61803) * s.noise;
    const double pixelNoise = std::sin(x * 12.9898 + y * 78.233) * s.noise * 0.5;
    if (rho > 1) {
        const bool text = s.cornerText && x < 70 && y > d.cy + d.r * 0.9 && int(x) % 5 < 3 && int(y) % 7 < 4;
        return text ? 230 : s.background + blockNoise + pixelNoise;
    }
    double v = canopy(dx, dy);
    if (s.rimDim > 0 && rho > 1 - s.rimDim) {
        const double t = (rho - (1 - s.rimDim)) / s.rimDim;
        const bool band = s.rimBands > 0
            && std::cos(std::atan2(dy, dx) * s.rimBands) > std::cos(std::numbers::pi / 18 * s.rimBands);
        if (!band)
            v = v * (1 - t) + s.rimFloor * t;
    }
    if (rho > 1 - s.rimHidden) {
        const bool band = std::cos(std::atan2(dy, dx) * s.rimBands) > std::cos(std::numbers::pi / 18 * s.rimBands);
        if (!band)
            v = 0;
    }
    return s.background + v;
}

struct BoundCase {
    const char* name;
    int32_t w, h;
    Disc disc;
    Scene scene;
    double centreTolerance, radiusTolerance;
};

std::ostream& operator<<(std::ostream& os, const BoundCase& c) { return os << c.name; }

class BoundSynthetic : public ::testing::TestWithParam<BoundCase> { };

// The box must be the circle's box clamped to the image.
TEST_P(BoundSynthetic, FindsTheCircle)
{
    const BoundCase c = GetParam();
    const OwnedImage image = makeImage(c.w, c.h, [&](double x, double y) { return sceneLevel(c.disc, c.scene, x, y); });
    RixRect box{};
    ASSERT_EQ(RixBound(image.id(), &box), 1) << RixLastError();
    const double tolC = c.centreTolerance, tolR = c.radiusTolerance;
    const Disc& d = c.disc;
    EXPECT_NEAR(box.Left, std::max(0.0, d.cx - d.r), tolC + tolR);
    EXPECT_NEAR(box.Right, std::min(double(c.w), d.cx + d.r), tolC + tolR);
    EXPECT_NEAR(box.Top, std::max(0.0, d.cy - d.r), tolC + tolR);
    EXPECT_NEAR(box.Bottom, std::min(double(c.h), d.cy + d.r), tolC + tolR);
    if (d.cx - d.r >= 0 && d.cx + d.r <= c.w && d.cy - d.r >= 0 && d.cy + d.r <= c.h) {
        EXPECT_NEAR((box.Left + box.Right) / 2.0, d.cx, tolC);
        EXPECT_NEAR((box.Top + box.Bottom) / 2.0, d.cy, tolC);
        EXPECT_NEAR((box.Right - box.Left) / 2.0, d.r, tolR);
        EXPECT_NEAR((box.Bottom - box.Top) / 2.0, d.r, tolR);
    }
}

INSTANTIATE_TEST_SUITE_P(BoundCircles, BoundSynthetic,
    ::testing::Values(BoundCase{"centred", 640, 480, {320, 240, 220}, {}, 1.5, 2},
        BoundCase{"off_centre_noisy", 800, 600, {300, 330, 180}, {.background = 14, .noise = 6}, 2, 3},
        BoundCase{"touching_left_edge", 900, 600, {250, 300, 250}, {.background = 5, .noise = 3}, 2, 3},
        BoundCase{"cut_top_and_bottom", 800, 600, {400, 300, 340}, {}, 2, 3},
        BoundCase{"cut_off_centre", 1000, 700, {560, 330, 400}, {.background = 8, .noise = 4}, 3, 4},
        BoundCase{"vignetted_rim", 700, 700, {345, 360, 300}, {.rimDim = 0.3, .rimFloor = 40}, 2, 3},
        BoundCase{"near_black_rim", 700, 700, {360, 340, 300}, {.rimDim = 0.35, .rimFloor = 5}, 3, 4},
        BoundCase{
            "dark_rim_with_bands", 1200, 900, {610, 440, 400}, {.rimDim = 0.12, .rimFloor = 0, .rimBands = 5}, 3, 4},
        // Only five 20-degree bands reach the rim; elsewhere the outer tenth
        // of the radius is black, as under a dense canopy.
        BoundCase{"hidden_rim_with_bands", 1200, 900, {590, 460, 400}, {.rimHidden = 0.1, .rimBands = 5}, 5, 8},
        BoundCase{"text_in_corner", 520, 500, {262, 248, 238}, {.cornerText = true}, 2, 3},
        BoundCase{"large_blocks", 4000, 3000, {2010, 1480, 1420}, {.background = 3, .noise = 2}, 6, 8}),
    [](const ::testing::TestParamInfo<BoundCase>& test) { return std::string(test.param.name); });

// No dark surround, no contrast at all, and images too small to hold a
// circle: the whole image is the content.
TEST(Bound, WholeImageWhenThereIsNoCircle)
{
    struct Case {
        const char* name;
        int32_t w, h;
        std::function<double(double, double)> level;
    };
    const Case cases[] = {
        {"textured_full_frame", 640, 480, [](double x, double y) { return 60 + canopy(x - 300, y - 200) * 0.8; }},
        {"all_black", 320, 240, [](double, double) { return 0.0; }},
        {"uniform_grey", 320, 240, [](double, double) { return 128.0; }},
        {"faint_gradient", 320, 240, [](double x, double) { return x / 320.0 * 5; }},
        {"one_pixel", 1, 1, [](double, double) { return 200.0; }},
        {"tiny", 3, 2, [](double x, double) { return x > 1 ? 255.0 : 0.0; }},
        {"seven_square", 7, 7, [](double x, double y) { return std::hypot(x - 3.5, y - 3.5) < 3 ? 200.0 : 0.0; }},
    };
    for (const Case& c : cases) {
        RixRect box{-1, -1, -1, -1};
        ASSERT_EQ(RixBound(makeImage(c.w, c.h, c.level).id(), &box), 1) << c.name;
        EXPECT_EQ(sides(box), (std::array{0, 0, c.w, c.h})) << c.name;
    }
}

// Small images with a circle give a box inside the image around it.
TEST(Bound, SmallImagesGiveABoxInside)
{
    for (const int32_t side : {8, 12, 16, 24, 40}) {
        const double r = side * 0.4;
        const OwnedImage image = makeImage(side, side,
            [&](double x, double y) { return std::hypot(x - side / 2.0, y - side / 2.0) < r ? 180.0 : 0.0; });
        RixRect box{};
        ASSERT_EQ(RixBound(image.id(), &box), 1);
        EXPECT_TRUE(0 <= box.Left && box.Left < box.Right && box.Right <= side)
            << side << ": " << box.Left << ", " << box.Right;
        EXPECT_TRUE(0 <= box.Top && box.Top < box.Bottom && box.Bottom <= side)
            << side << ": " << box.Top << ", " << box.Bottom;
        EXPECT_NEAR((box.Left + box.Right) / 2.0, side / 2.0, 1.5) << side;
    }
}

TEST(Bound, RefusesBadArgumentsAsFindCircleDoes)
{
    const OwnedImage image(16, 16);
    RixCircle circle{};
    EXPECT_EQ(RixFindCircle(image.id(), nullptr), 0);
    EXPECT_STRNE(RixLastError(), "");
    EXPECT_EQ(RixFindCircle(0, &circle), 0);
    EXPECT_EQ(RixFindCircle(424242, &circle), 0);
    RixRect box{};
    EXPECT_EQ(RixBound(image.id(), nullptr), 0);
    EXPECT_EQ(RixBound(0, &box), 0);
    EXPECT_EQ(RixBound(-1, &box), 0);
    EXPECT_EQ(RixBound(424242, &box), 0);
    EXPECT_STRNE(RixLastError(), "");
}

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
        {0, 0, 16, 16, 8, 0, 8, 8}, {0, 0, 16, 16, -8, -8, 8, 8},
        // Extreme coordinates, without overflow.
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
        {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 0, 0, INT32_MAX, INT32_MAX}};
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
