// RixFindCircle on noisy synthetic fisheye frames whose circles are known,
// on frames that hold no image circle, RixFindCircle and RixBound on the
// real photographs, and RixFindCircle on those reduced to smaller sizes.
#include "codec_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// Sensor noise: Gaussian per channel (Box-Muller on a fixed-seed engine, the
// same numbers on every platform), clipped to 0..255.
class Noise {
public:
    explicit Noise(uint32_t seed)
        : engine_(seed)
    {
    }
    double next()
    {
        auto uniform = [&] { return (double(engine_()) + 0.5) / 4294967296.0; };
        return std::sqrt(-2 * std::log(uniform())) * std::cos(2 * std::numbers::pi * uniform());
    }

private:
    std::mt19937 engine_;
};

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

// Each channel at the disc's level plus noise, row after row from the bottom.
OwnedImage makeNoisyDisc(const NoisyDisc& d)
{
    Noise noise(d.seed);
    return OwnedImage(d.w, d.h, [&](int x, int y) {
        const double dx = x + 0.5 - d.cx, dy = y + 0.5 - d.cy;
        const double level = std::hypot(dx, dy) <= d.r ? discLevel(d, dx, dy) : d.background;
        auto channel = [&] { return uint8_t(std::clamp(std::lround(level + d.sigma * noise.next()), 0L, 255L)); };
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

TEST(FindCircle, RefusesBadArguments)
{
    const OwnedImage image(16, 16);
    RixCircle circle{};
    EXPECT_EQ(RixFindCircle(image.id(), nullptr), 0);
    EXPECT_STRNE(RixLastError(), "");
    EXPECT_EQ(RixFindCircle(0, &circle), 0);
    EXPECT_EQ(RixFindCircle(424242, &circle), 0);
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
    if (c.circleTolerance > 0) {
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

INSTANTIATE_TEST_SUITE_P(FindCircle, Photos,
    ::testing::Values(
        // Clean, sharp rim; burnt-in text in the corners.
        PhotoCase{KARWEN_SAMPLES_DIR, "allsky_day.jpg", 500, 500, 249.4, 249.4, 240.8, 2, 3, 0.47 * 2 * 237.8,
            0.47 * 2 * 243.8},
        // Canopy black up to the horizon hides the rim (the lens's circle is
        // about r 754, package mask 1136, 852, 754): the centre is known only
        // roughly.
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

// A photo reduced the way image editors resize, so that these sizes stand
// for the photos users make smaller: each output pixel a tent-weighted mean
// of the input pixels within one output pixel's width of its centre. Output
// pixel o is centred at (o + 0.5) times the ratio of the sides, so the
// reduction scales continuous coordinates (pixel j covers j to j + 1) by
// exactly that ratio.
//
// The weights are in 1/4096 and sum to exactly 4096. The sums run on three
// channels at once, one word a pixel (blue, green and red 21 bits apart, in
// 1/4096 of a level), so that a tap costs one read and one multiplication:
// the reduction of 64 photo sizes stays quick under the sanitizers too.
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

struct SizedPhoto {
    const char* file;
    bool rimSeen; // found at full size
};

std::ostream& operator<<(std::ostream& os, const SizedPhoto& c) { return os << c.file; }

class PhotoSizes : public ::testing::TestWithParam<SizedPhoto> { };

// From 20 % to 95 % of the photo's size in steps of 5 %, the circle found is
// the full-size one scaled, within 2 % of its radius in centre and radius,
// or none; a photo whose rim is not seen at full size is refused at every
// size, and one whose rim is seen is still found down to half its size.
TEST_P(PhotoSizes, FullSizeCircleOrNone)
{
    const SizedPhoto c = GetParam();
    LOAD_PHOTO_OR_SKIP(photo, KARWEN_REAL_DATA_DIR, c.file);
    RixCircle full{};
    ASSERT_EQ(RixFindCircle(photo.id(), &full), 1);
    ASSERT_EQ(full.Confident, c.rimSeen ? 1 : 0) << full.Cx << ", " << full.Cy << ", " << full.R;
    const int32_t width = RixWidth(photo.id()), height = RixHeight(photo.id());
    for (int32_t percent = 20; percent < 100; percent += 5) {
        // Sides rounded to the nearest pixel, as image editors do.
        const int32_t w = (width * percent + 50) / 100, h = (height * percent + 50) / 100;
        const OwnedImage small(w, h);
        reduce(photo.image(), small);
        RixCircle found{};
        ASSERT_EQ(RixFindCircle(small.id(), &found), 1);
        if (!found.Confident) {
            EXPECT_FALSE(c.rimSeen && percent >= 50) << percent << " %: not found";
            continue;
        }
        const double sx = double(w) / width, sy = double(h) / height;
        if (!c.rimSeen) {
            ADD_FAILURE() << percent << " %: found at " << found.Cx / sx << ", " << found.Cy / sy << ", "
                          << found.R / sx << " (full-size pixels), not found at full size";
            continue;
        }
        const double r = full.R * 0.5 * (sx + sy);
        EXPECT_LE(std::hypot(found.Cx - sx * full.Cx, found.Cy - sy * full.Cy), 0.02 * r) << percent << " %";
        EXPECT_NEAR(found.R, r, 0.02 * r) << percent << " %";
    }
}

INSTANTIATE_TEST_SUITE_P(FindCircle, PhotoSizes,
    ::testing::Values(
        // Found at about r 680 at a quarter of its size before, the content's
        // extent rather than the hidden rim (r about 754).
        SizedPhoto{"chestnut_fce8.jpg", false}, SizedPhoto{"broadleaf_dusk_fce9.jpg", true},
        SizedPhoto{"mixed_sunlit_fce9.jpg", true}, SizedPhoto{"allsky_day.jpg", true}),
    [](const ::testing::TestParamInfo<SizedPhoto>& test) {
        std::string name = test.param.file;
        return name.substr(0, name.find('.'));
    });

} // namespace
