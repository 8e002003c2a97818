// The decoding scale a result allows, worked out by hand for a few
// geometries; the records of a photo decoded at a scale; and results made
// from scaled decodes of the real photos against those made from full ones.
#include "batch_convert.h"
#include "batch_test_support.h"
#include "decode_scale.h"
#include "projection_model.h"
#include "test_image.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

using namespace karwen;

namespace {

constexpr int32_t kNearest = 0, kBilinear = 1, kCubic = 2;

ProjectionRecord record(double cx, double cy, double r, int32_t proj) { return {cx, cy, r, 0, 0, 0, proj}; }

// A file of the temporary folder, of this process alone: ctest runs tests
// side by side.
std::string scratchPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()) + ".jpg")).string();
}

struct ScaleCase {
    const char* name;
    ProjectionRecord src, dst;
    int32_t dstW, dstH, interp;
    int scale;
};

std::ostream& operator<<(std::ostream& os, const ScaleCase& c) { return os << c.name; }

class DecodeScaleRule : public testing::TestWithParam<ScaleCase> { };

// Source pixels per destination pixel, by hand (equidistant source, radius
// Rs; destination radius Rd; the rule keeps 0.97 of the least as margin):
//  - equidistant to equidistant: Rs / Rd everywhere;
//  - to orthographic (r = sin t): least at the centre, (2 / pi) Rs / Rd;
//  - to stereographic (r = tan(t / 2)): least along the rim, radially,
//    (2 / pi) Rs / Rd, twice what the centre has;
//  - to perspective (r = tan t): least at the corners, radially,
//    (2 / pi) Rs / Rd cos^2 t.
TEST_P(DecodeScaleRule, GivesTheLargestScaleThatLeavesEnoughPixels)
{
    const ScaleCase& c = GetParam();
    EXPECT_EQ(decodeScale(c.src, nullptr, c.dst, c.dstW, c.dstH, c.interp), c.scale);
}

const ProjectionRecord kSrc1000 = record(1300, 1000, 1000, kEquidistant);
const ProjectionRecord kDst100 = record(100, 100, 100, kEquidistant);

INSTANTIATE_TEST_SUITE_P(WorkedCases, DecodeScaleRule,
    testing::Values(
        // 10 a pixel: 1.21 at 1/8.
        ScaleCase{"EquidistantTenNearest", kSrc1000, kDst100, 200, 200, kNearest, 8},
        // Cubic needs two: 2.4 at 1/4, 1.2 at 1/8.
        ScaleCase{"EquidistantTenCubic", kSrc1000, kDst100, 200, 200, kCubic, 4},
        // 3 a pixel: 1.46 at 1/2, 0.73 at 1/4; cubic keeps the full photo.
        ScaleCase{"EquidistantThreeBilinear", record(400, 300, 300, kEquidistant), kDst100, 200, 200, kBilinear, 2},
        ScaleCase{"EquidistantThreeCubic", record(400, 300, 300, kEquidistant), kDst100, 200, 200, kCubic, 1},
        // 6.37 at the centre: 1.54 at 1/4.
        ScaleCase{"OrthographicCentre", kSrc1000, record(100, 100, 100, kOrthographic), 200, 200, kNearest, 4},
        // 12 Rs / Rd: 15.3 at the centre, yet 7.6 along the rim.
        ScaleCase{"StereographicRim", record(1300, 1000, 1200, kEquidistant), record(100, 100, 100, kStereographic),
            200, 200, kNearest, 4},
        // Perspective, 200 x 200 of radius 100: corners at t = 54.7 degrees,
        // where 1000 / 100 x 2 / pi / 3 = 2.1: 1.03 at 1/2.
        ScaleCase{"PerspectiveCorners", kSrc1000, record(100, 100, 100, kPerspective), 200, 200, kNearest, 2},
        // Zoomed in on the centre (radius 2000): 0.32 a pixel, the full photo.
        ScaleCase{"PerspectiveZoomedIn", kSrc1000, record(100, 100, 2000, kPerspective), 200, 200, kNearest, 1},
        // Nothing of the source shown: the full photo.
        ScaleCase{"NoSource", record(0, 0, 0, kEquidistant), kDst100, 200, 200, kNearest, 1}),
    [](const testing::TestParamInfo<ScaleCase>& param) { return std::string(param.param.name); });

struct RecordCase {
    int32_t height;
    int scale;
    double cy, scaledCy;
};

// x shrinks from the left edge, y from the top one: the top row of an odd
// height stays whole, the bottom one is the decoder's part-filled row.
TEST(ScaledRecord, ShrinksFromTheTopLeftCorner)
{
    for (const RecordCase& c :
        {RecordCase{1920, 2, 933, 466.5}, RecordCase{1921, 2, 933, 467}, RecordCase{1921, 2, 1921, 961},
            RecordCase{1921, 2, 0, 0.5}, RecordCase{1707, 8, 1707, 214}, RecordCase{1707, 8, 3, 214 - 1704 / 8.0}}) {
        const ProjectionRecord scaled = scaledRecord({1277, c.cy, 782, 10, 20, 30, kEquisolidangle}, c.height, c.scale);
        EXPECT_DOUBLE_EQ(scaled.Cx, 1277.0 / c.scale);
        EXPECT_DOUBLE_EQ(scaled.Cy, c.scaledCy) << c.height << " " << c.cy;
        EXPECT_DOUBLE_EQ(scaled.R, 782.0 / c.scale);
        EXPECT_EQ(scaled.Alpha, 10);
        EXPECT_EQ(scaled.Beta, 20);
        EXPECT_EQ(scaled.Rot, 30);
        EXPECT_EQ(scaled.Proj, kEquisolidangle);
    }
}

// Luma PSNR of b against a, in dB, over the pixels of dst's circle (the
// whole image for a perspective view); infinite when they are the same.
double lumaPsnr(int32_t a, int32_t b, const ProjectionRecord& dst, double& largest)
{
    const test::ImagePixels pa(a), pb(b);
    double sum = 0;
    long count = 0;
    largest = 0;
    for (int32_t y = 0; y < pa.height(); ++y)
        for (int32_t x = 0; x < pa.width(); ++x) {
            const double dx = x + 0.5 - dst.Cx, dy = y + 0.5 - dst.Cy;
            if (dst.Proj != kPerspective && dx * dx + dy * dy > dst.R * dst.R)
                continue;
            const auto luma = [](uint32_t p) {
                return 0.299 * test::redOf(p) + 0.587 * test::greenOf(p) + 0.114 * test::blueOf(p);
            };
            const double d = luma(pa.row(y)[x]) - luma(pb.row(y)[x]);
            largest = std::max(largest, std::abs(d));
            sum += d * d;
            ++count;
        }
    return sum == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / (sum / double(count)));
}

// A photo and the circle it is read through, a little inside its rim.
struct Photo {
    std::string path;
    ProjectionRecord src;
};

struct PairCase {
    const char* name;
    int32_t srcProj, dstProj, interp;
};

std::ostream& operator<<(std::ostream& os, const PairCase& c) { return os << c.name; }

// The full photo averaged over blocks of scale x scale pixels, counted from
// its top-left corner as the decoder counts them (memory rows run bottom-up;
// the blocks of the last row and column hold what the photo has there).
OwnedImage blockAveraged(int32_t photo, int scale)
{
    const test::ImagePixels full(photo);
    const int32_t w = scaledSide(full.width(), scale), h = scaledSide(full.height(), scale);
    OwnedImage averaged(RixCreate(w, h));
    const test::ImagePixels out(averaged.get());
    for (int32_t j = 0; j < h; ++j)
        for (int32_t i = 0; i < w; ++i) {
            double sum[3] = {0, 0, 0};
            int n = 0;
            for (int32_t t = j * scale; t < std::min(full.height(), (j + 1) * scale); ++t)
                for (int32_t x = i * scale; x < std::min(full.width(), (i + 1) * scale); ++x) {
                    const uint32_t p = full.row(full.height() - 1 - t)[x];
                    sum[0] += test::redOf(p);
                    sum[1] += test::greenOf(p);
                    sum[2] += test::blueOf(p);
                    ++n;
                }
            const auto mean = [&](double v) { return uint8_t(std::lround(v / n)); };
            out.row(h - 1 - j)[i] = test::packRgb(mean(sum[0]), mean(sum[1]), mean(sum[2]));
        }
    return averaged;
}

struct Compared {
    int scale = 1;
    // Against the full photo's result, and against the result of the full
    // photo averaged over the decoded pixels' blocks.
    double psnr = 0, largest = 0;
    double averagedPsnr = 0, averagedLargest = 0;
};

// The result of photo through the case's projections and interpolation,
// decoded at the rule's scale, against the same from the full photo.
Compared compared(const Photo& photo, const PairCase& c, int32_t side)
{
    BatchSettings settings;
    settings.srcPrm = photo.src;
    settings.srcPrm.Proj = c.srcProj;
    settings.dstPrm = record(side / 2.0, side / 2.0, side / 2.0, c.dstProj);
    settings.dstW = settings.dstH = side;
    settings.interp = c.interp;
    const PlannedFile file{photo.path, photo.path, "", "", "", false};
    OwnedImage full, scaled;
    Compared result;
    if (makeResult(file, settings, full).result != FileResult::Converted)
        return result;
    settings.scaledDecode = true;
    if (makeResult(file, settings, scaled).result != FileResult::Converted)
        return result;
    result.scale = decodeScale(settings.srcPrm, nullptr, settings.dstPrm, side, side, settings.interp);
    result.psnr = lumaPsnr(full.get(), scaled.get(), settings.dstPrm, result.largest);

    const OwnedImage photoPixels(RixLoadJPG(photo.path.c_str()));
    const OwnedImage averaged = blockAveraged(photoPixels.get(), result.scale);
    // The circle in the averaged photo's pixels, worked out here rather than
    // by the code under test: x from the left edge, y (counted up) from the
    // top one.
    ProjectionRecord src = settings.srcPrm;
    src.Cx /= result.scale;
    src.Cy = RixHeight(averaged.get()) - (RixHeight(photoPixels.get()) - src.Cy) / result.scale;
    src.R /= result.scale;
    const OwnedImage reference(RixCreate(side, side));
    if (RixSDeform(averaged.get(), reference.get(), &src, &settings.dstPrm, c.interp) == 1)
        result.averagedPsnr = lumaPsnr(reference.get(), scaled.get(), settings.dstPrm, result.averagedLargest);
    return result;
}

// Whether the rule decodes the photo scaled for this pair: not for a view
// that widens towards its edge as a perspective one does, nor from an
// orthographic photo into another fisheye view, for the photo packs its
// rim tightly.
bool scalesFor(const PairCase& c)
{
    return c.dstProj != kPerspective && (c.srcProj != kOrthographic || c.dstProj == kOrthographic);
}

class ScaledResult : public testing::TestWithParam<PairCase> {
protected:
    static void SetUpTestSuite()
    {
        // Smooth shading (periods of 250 px and more) on a photo of odd
        // width and height, whose scaled decode has part-filled last rows.
        const std::string path = scratchPath("decode-scale-smooth");
        const bool painted = test::paintPhoto(path, 1203, 901, [](int x, int y) {
            const auto level = uint8_t(128 + 90 * std::sin(x / 40.0) * std::cos(y / 50.0));
            return test::packRgb(level, level, level);
        });
        ASSERT_TRUE(painted);
        smooth_ = {path, record(601, 450, 440, 0)};
    }
    static void TearDownTestSuite() { std::filesystem::remove(smooth_.path); }

    static Photo smooth_;
};

Photo ScaledResult::smooth_;

// Nothing shrinks smooth shading more than the decoder's scaling does: a
// scaled decode gives nearly its full result. A misplaced circle (off by
// a part of a decoded pixel) shows here first.
TEST_P(ScaledResult, OfSmoothShadingStaysWithin35Decibels)
{
    const PairCase& c = GetParam();
    const Compared r = compared(smooth_, c, 96); // 9.2 pixels a pixel between equidistant ones
    EXPECT_EQ(r.scale > 1, scalesFor(c)) << "1/" << r.scale;
    EXPECT_GE(r.psnr, 35.0) << "1/" << r.scale << ", largest luma difference " << r.largest;
}

// A real photo's twigs are finer than a decoded pixel of the scaled photo,
// which averages them where the full photo's nearest or bilinear sample
// picks one: the results differ by that detail, whatever their size
// (measured 18.5 to 31 dB, largest luma differences up to 227; see the
// README). Against the full photo averaged over the decoded pixels' blocks
// they differ by the decoder's rounding alone (measured 46.9 to 56.1 dB,
// largest luma difference 16.5); a circle off by half a decoded pixel falls
// below 28 dB.
TEST_P(ScaledResult, OfRealPhotosIsTheFullPhotoAveragedOverTheDecodedPixels)
{
    const PairCase& c = GetParam();
    for (const Photo& photo : {Photo{"broadleaf_dusk_fce9.jpg", record(1277, 933, 722, 0)},
             Photo{"mixed_sunlit_fce9.jpg", record(1278, 934, 722, 0)},
             Photo{"chestnut_fce8.jpg", record(1136, 852, 720, 0)}}) {
        const Photo real{std::string(KARWEN_REAL_DATA_DIR) + "/" + photo.path, photo.src};
        if (!std::filesystem::exists(real.path))
            GTEST_SKIP() << real.path << " is not there";
        const Compared r = compared(real, c, 256); // 5.6 pixels a pixel between equidistant ones
        if (c.interp != kCubic) {
            EXPECT_EQ(r.scale > 1, scalesFor(c)) << photo.path << " 1/" << r.scale;
        }
        EXPECT_GE(r.psnr, 18.5) << photo.path << " 1/" << r.scale << ", largest luma difference " << r.largest;
        EXPECT_GE(r.averagedPsnr, 46.0) << photo.path << " 1/" << r.scale << ", largest luma difference "
                                        << r.averagedLargest;
        EXPECT_LE(r.averagedLargest, 16.5) << photo.path << " 1/" << r.scale;
    }
}

std::vector<PairCase> allPairs()
{
    static const char* names[] = {"Orthographic", "Equisolid", "Equidistant", "Stereographic", "Perspective"};
    static const char* interps[] = {"Nearest", "Bilinear", "Cubic"};
    static std::vector<std::string> labels;
    std::vector<PairCase> cases;
    labels.reserve(4 * 5 * 3);
    for (int32_t src = kOrthographic; src <= kStereographic; ++src)
        for (int32_t dst = kOrthographic; dst <= kPerspective; ++dst)
            for (int32_t interp = kNearest; interp <= kCubic; ++interp) {
                labels.push_back(std::string(names[src]) + "To" + names[dst] + interps[interp]);
                cases.push_back({labels.back().c_str(), src, dst, interp});
            }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllPairs, ScaledResult, testing::ValuesIn(allPairs()),
    [](const testing::TestParamInfo<PairCase>& param) { return std::string(param.param.name); });

// The circle found on a photo decoded at 1/8, in the full photo's
// coordinates, against the one found on the full photo: the largest
// difference of centre or radius, in pixels.
double eighthScaleCircleMiss(const std::string& path)
{
    int32_t width = 0, height = 0;
    if (RixJPGSize(path.c_str(), &width, &height) != 1)
        return -1;
    const OwnedImage full(RixLoadJPG(path.c_str())), eighth(RixLoadJPGScaled(path.c_str(), 8));
    RixCircle f{}, e{};
    if (RixFindCircle(full.get(), &f) != 1 || RixFindCircle(eighth.get(), &e) != 1)
        return -1;
    const ProjectionRecord back{e.Cx * 8, height - (RixHeight(eighth.get()) - e.Cy) * 8, e.R * 8, 0, 0, 0, 0};
    return std::max({std::abs(back.Cx - f.Cx), std::abs(back.Cy - f.Cy), std::abs(back.R - f.R)});
}

// Found on a 1/8 decode, a circle would cost a fraction of a full decode,
// but it lands several pixels off on the real photos (their rims fade into
// dark canopy; up to 21 px measured) and only a sharp synthetic disc keeps
// within a pixel: a photo whose circle is found is decoded in full.
TEST(EighthScaleCircle, MissesTheRealPhotosCirclesByMoreThanAPixel)
{
    const std::string disc = scratchPath("decode-scale-disc");
    const test::Disc circle{1001, 700, 620};
    ASSERT_TRUE(test::writePhoto(disc, 2003, 1501, test::packRgb(90, 140, 200), &circle));
    const double synthetic = eighthScaleCircleMiss(disc);
    std::filesystem::remove(disc);
    EXPECT_GE(synthetic, 0);
    EXPECT_LE(synthetic, 1.0);

    double worst = 0;
    for (const char* photo : {"broadleaf_dusk_fce9.jpg", "mixed_sunlit_fce9.jpg", "chestnut_fce8.jpg"}) {
        const std::string path = std::string(KARWEN_REAL_DATA_DIR) + "/" + photo;
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << path << " is not there";
        worst = std::max(worst, eighthScaleCircleMiss(path));
    }
    EXPECT_GT(worst, 1.0);
}

// So with circle detection, decoding "auto" gives the full decode's result
// bit for bit.
TEST(EighthScaleCircle, FoundCirclesTakeTheFullPhoto)
{
    const std::string path = std::string(KARWEN_REAL_DATA_DIR) + "/mixed_sunlit_fce9.jpg";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << path << " is not there";
    BatchSettings settings;
    settings.srcPrm = record(0, 0, 0, kEquidistant);
    settings.findCircle = true;
    settings.dstPrm = record(64, 64, 64, kEquisolidangle);
    settings.dstW = settings.dstH = 128;
    const PlannedFile file{path, path, "", "", "", false};
    OwnedImage full, automatic;
    ASSERT_EQ(makeResult(file, settings, full).result, FileResult::Converted);
    settings.scaledDecode = true;
    ASSERT_EQ(makeResult(file, settings, automatic).result, FileResult::Converted);
    const test::ImagePixels a(full.get()), b(automatic.get());
    EXPECT_TRUE(std::equal(a.data(), a.data() + a.size(), b.data()));
}

} // namespace
