// JPEG files written here with TurboJPEG in every flavour the loader must
// read, compared by PSNR, orientation included (row 0 is the bottom row);
// bad files refused with a message. RixLoadJPGScaled and RixJPGSize: the
// decoder's sizes for odd sides, the scaled image's place on the photo, a
// grey file staying grey, and refusals of bad arguments, damage and photos
// over the pixel limit.
#include "codec_test_support.h"
#include "grey_photo.h"
#include "jpeg_test_support.h"
#include "rix.h"
#include "test_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <utility>

using namespace codec_test;
using karwen::test::ScratchFolder;

namespace {

using namespace jpeg_test;

constexpr int kWidth = 250; // not a multiple of the MCU size
constexpr int kHeight = 190;

struct Rgb {
    double r, g, b;
};

// A smooth picture with a vertical ramp, so a flipped image scores badly.
Rgb smooth(int x, int y)
{
    return {128 + 100 * std::sin(x / 20.0), 255.0 * y / (kHeight - 1), 128 + 100 * std::cos((x + y) / 30.0)};
}

// Peak signal-to-noise ratio of the image behind handle against expected.
double psnr(int32_t handle, const std::function<Rgb(int, int)>& expected)
{
    double sum = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = pixelAt(handle, x, y);
            const Rgb e = expected(x, y);
            for (const auto& [got, want] : {std::pair{p >> 16, e.r}, std::pair{p >> 8, e.g}, std::pair{p, e.b}})
                sum += std::pow(double(got & 0xff) - byteOf(want), 2);
        }
    const double mse = sum / (3.0 * kWidth * kHeight);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

Pixel bgrx(int x, int y)
{
    const Rgb c = smooth(x, y);
    return {byteOf(c.b), byteOf(c.g), byteOf(c.r), 0};
}

Pixel rgb(int x, int y)
{
    const Rgb c = smooth(x, y);
    return {byteOf(c.r), byteOf(c.g), byteOf(c.b), 0};
}

// Black plate that darkens the picture towards the bottom.
double inkK(int y) { return 155.0 + 100.0 * y / (kHeight - 1); }

// Adobe-style CMYK as most CMYK JPEGs hold it: inverted, 255 = no ink.
Pixel invertedCmyk(int x, int y)
{
    const Rgb c = smooth(x, y);
    return {byteOf(c.r), byteOf(c.g), byteOf(c.b), byteOf(inkK(y))};
}

std::vector<uint8_t> compress(int format, int subsampling, int flags = 0)
{
    return jpeg_test::tjEncode(kWidth, kHeight, format == TJPF_CMYK ? invertedCmyk : bgrx, format, subsampling, flags);
}

// Sampling factors that TurboJPEG has no name for.
std::vector<uint8_t> compressWithFactors(int lumaH, int lumaV, int chromaH, int chromaV)
{
    return jpeg_test::libjpegEncode(kWidth, kHeight, rgb, {lumaH, lumaV, chromaH, chromaV});
}

struct KindCase {
    const char* name;
    std::function<std::vector<uint8_t>()> file;
    std::function<Rgb(int, int)> expected;
};

Rgb grey(int x, int y)
{
    const Rgb c = smooth(x, y);
    const double v = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
    return {v, v, v};
}

Rgb cmykSeen(int x, int y)
{
    const Rgb c = smooth(x, y);
    const double k = byteOf(inkK(y)) / 255.0;
    return {byteOf(c.r) * k, byteOf(c.g) * k, byteOf(c.b) * k};
}

const KindCase kKinds[] = {
    {"Baseline444", [] { return compress(TJPF_BGRX, TJSAMP_444); }, smooth},
    {"Baseline422", [] { return compress(TJPF_BGRX, TJSAMP_422); }, smooth},
    {"Progressive420", [] { return compress(TJPF_BGRX, TJSAMP_420, TJFLAG_PROGRESSIVE); }, smooth},
    {"Greyscale", [] { return compress(TJPF_BGRX, TJSAMP_GRAY); }, grey},
    {"GreyscaleProgressive", [] { return compress(TJPF_BGRX, TJSAMP_GRAY, TJFLAG_PROGRESSIVE); }, grey},
    {"Cmyk", [] { return compress(TJPF_CMYK, TJSAMP_444); }, cmykSeen},
    {"LumaSampled3x1", [] { return compressWithFactors(3, 1, 1, 1); }, smooth},
    {"LumaSampled1x3", [] { return compressWithFactors(1, 3, 1, 1); }, smooth},
    {"LumaSampled3x2", [] { return compressWithFactors(3, 2, 1, 1); }, smooth},
    {"ChromaSampled1x2", [] { return compressWithFactors(1, 1, 1, 2); }, smooth},
    {"CmykProgressive", [] { return compress(TJPF_CMYK, TJSAMP_420, TJFLAG_PROGRESSIVE); }, cmykSeen},
};

class JpegKinds : public ::testing::TestWithParam<KindCase> { };

TEST_P(JpegKinds, LoadsUprightAndClose)
{
    const ScratchFile file(std::string(GetParam().name) + ".jpg", GetParam().file());
    const OwnedImage image(RixLoadJPG(file.path()));
    ASSERT_GE(image.id(), 1) << RixLastError();
    ASSERT_EQ(RixWidth(image.id()), kWidth);
    ASSERT_EQ(RixHeight(image.id()), kHeight);
    EXPECT_GT(psnr(image.id(), GetParam().expected), 35.0);
    for (const uint32_t p : image.pixels())
        ASSERT_EQ(p >> 24, 0xffu) << "every pixel is opaque";
}

INSTANTIATE_TEST_SUITE_P(
    Jpeg, JpegKinds, ::testing::ValuesIn(kKinds), [](const auto& test) { return std::string(test.param.name); });

TEST(JpegSave, RoundTripAtQuality75)
{
    ScratchFolder folder;
    const std::string path = folder.file("Bild_äöü_日本.jpg");
    const OwnedImage image(kWidth, kHeight, [](int x, int y) {
        const Pixel p = rgb(x, y);
        return rix::packRgb(p[0], p[1], p[2]);
    });
    const int32_t src = image.id();
    int32_t quality = 75;
    ASSERT_EQ(RixSaveJPG(src, path.c_str(), &quality), 1) << RixLastError();

    const std::vector<uint8_t> bytes = readBytes(path);
    tjhandle tj = tjInitDecompress();
    int w = 0, h = 0, subsampling = -1, colorspace = -1;
    EXPECT_EQ(tjDecompressHeader3(tj, bytes.data(), bytes.size(), &w, &h, &subsampling, &colorspace), 0);
    tjDestroy(tj);
    EXPECT_EQ(subsampling, TJSAMP_420);

    const int32_t back = RixLoadJPG(path.c_str());
    ASSERT_GE(back, 1) << RixLastError();
    EXPECT_GT(psnr(back, smooth), 30.0);
    RixDestroy(back);

    for (int32_t q : {0, -5, 101, 100000}) {
        quality = q;
        EXPECT_EQ(RixSaveJPG(src, path.c_str(), &quality), 1) << "quality " << q << " is clamped";
    }
    EXPECT_EQ(RixSaveJPG(src, path.c_str(), nullptr), 0);
}

// --- Damaged files ----------------------------------------------------------

std::vector<uint8_t> baseline() { return compress(TJPF_BGRX, TJSAMP_420); }
std::vector<uint8_t> progressive() { return compress(TJPF_BGRX, TJSAMP_420, TJFLAG_PROGRESSIVE); }

// Overwrites the frame size in the (baseline) start-of-frame segment.
std::vector<uint8_t> withFrameSize(std::vector<uint8_t> b, int width, int height)
{
    const std::size_t sof = jpeg_test::findMarker(b, 0xc0);
    const uint8_t size[] = {uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width)};
    std::copy(std::begin(size), std::end(size), b.begin() + std::ptrdiff_t(sof + 5));
    return b;
}

// Ends the file inside its start-of-frame segment, before the component count.
std::vector<uint8_t> cutInFrameHeader(std::vector<uint8_t> b)
{
    b.resize(jpeg_test::findMarker(b, 0xc0) + 8);
    return b;
}

std::vector<uint8_t> withoutEndMarker(std::vector<uint8_t> b)
{
    b.erase(b.end() - 2, b.end());
    return b;
}

std::vector<uint8_t> scrambledFromAThird(std::vector<uint8_t> b)
{
    for (std::size_t i = b.size() / 3; i < b.size() - 2; i += 7)
        b[i] = uint8_t(b[i] * 13 + 1) == 0xff ? 0 : uint8_t(b[i] * 13 + 1);
    return b;
}

// 5000 bytes of a pattern, and of one byte after the start marker and an FF.
std::vector<uint8_t> garbage()
{
    std::vector<uint8_t> g(5000);
    for (std::size_t i = 0; i < g.size(); ++i)
        g[i] = uint8_t(i * 7919 >> 3);
    return g;
}

std::vector<uint8_t> garbageAfterStartMarker()
{
    std::vector<uint8_t> g = {0xff, 0xd8, 0xff};
    g.resize(5000, 0x5a);
    return g;
}

struct BadJpeg {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* says = ""; // part of the message, after the function's name
};

const BadJpeg kBadJpegs[] = {
    {"Empty", {}},
    {"StartMarkerOnly", {0xff, 0xd8}},
    {"Garbage", garbage()},
    {"GarbageAfterStartMarker", garbageAfterStartMarker()},
    {"BmpBytes", {'B', 'M', 0, 0, 0, 0}, "not a JPEG file"},
    {"HeaderEndsInFirstSegment", {0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10}, "the JPEG header ends before the image size"},
    {"BaselineCutInHeader", cut(baseline(), 0.05)},
    {"BaselineCutAtHalf", cut(baseline(), 0.5)},
    {"BaselineCutAtNinetyPercent", cut(baseline(), 0.9)},
    {"BaselineWithoutEndMarker", withoutEndMarker(baseline())},
    {"ProgressiveCutAtHalf", cut(progressive(), 0.5)},
    {"ProgressiveCutAtNinetyPercent", cut(progressive(), 0.9)},
    {"Width40000", withFrameSize(baseline(), 40000, kHeight), "more than 32767 a side"},
    {"Height32768", withFrameSize(baseline(), kWidth, 32768)},
    {"ClaimsHugeSizeInSmallFile", withFrameSize(baseline(), 30000, 30000)},
    {"UnnamedSamplingCutAtHalf", cut(compressWithFactors(3, 1, 1, 1), 0.5), "damaged JPEG data"},
    {"UnnamedSamplingCutInFrameHeader", cutInFrameHeader(compressWithFactors(3, 1, 1, 1))},
    {"HeightZero", withFrameSize(baseline(), kWidth, 0), "holds no pixels"},
    {"EntropyDataScrambled", scrambledFromAThird(baseline())},
};

class JpegBadFiles : public ::testing::TestWithParam<BadJpeg> { };

TEST_P(JpegBadFiles, LoadFailsWithMessage)
{
    const ScratchFile file("bad.jpg", GetParam().bytes);
    EXPECT_EQ(RixLoadJPG(file.path()), 0);
    const std::string message = RixLastError();
    EXPECT_EQ(message.rfind("RixLoadJPG: '" + std::string(file.path()) + "': ", 0), 0u) << message;
    EXPECT_NE(message.find(GetParam().says), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Jpeg, JpegBadFiles, ::testing::ValuesIn(kBadJpegs), [](const auto& test) { return std::string(test.param.name); });

TEST(JpegBadFiles, MissingFileAndNoHandleLeak)
{
    ScratchFolder folder;
    const int32_t before = karwen::test::probeHandle();
    EXPECT_EQ(RixLoadJPG(folder.file("absent.jpg").c_str()), 0);
    EXPECT_NE(std::string(RixLastError()).find("absent.jpg"), std::string::npos) << RixLastError();
    EXPECT_EQ(RixLoadJPG(""), 0);
    const std::string bad = folder.file("bad.jpg");
    writeBytes(bad, cut(baseline(), 0.5));
    EXPECT_EQ(RixLoadJPG(bad.c_str()), 0);
    EXPECT_EQ(karwen::test::probeHandle(), before + 1) << "failed loads must not consume handles";
}

// 1203 x 901: a left half dark and a right half bright, and a bright top
// band of 96 rows; pixel rows counted from the bottom.
std::string savedPhoto(const ScratchFolder& folder)
{
    const std::string path = folder.file("odd.jpg");
    const OwnedImage image(1203, 901, [](int x, int y) {
        const uint8_t level = y >= 901 - 96 || x >= 600 ? 230 : 20;
        return rix::packRgb(level, level, level);
    });
    int32_t quality = 95;
    EXPECT_EQ(RixSaveJPG(image.id(), path.c_str(), &quality), 1) << RixLastError();
    return path;
}

int level(int32_t handle, int32_t x, int32_t y) { return int(codec_test::pixelAt(handle, x, y) & 0xffu); }

} // namespace

TEST(JpegScaled, SidesAreTheDecodersCeilingsAndTheImageIsPlacedFromTheTop)
{
    ScratchFolder folder;
    const std::string path = savedPhoto(folder);
    int32_t w = 0, h = 0;
    ASSERT_EQ(RixJPGSize(path.c_str(), &w, &h), 1) << RixLastError();
    EXPECT_EQ(w, 1203);
    EXPECT_EQ(h, 901);
    for (const int scale : {1, 2, 4, 8}) {
        const OwnedImage image(RixLoadJPGScaled(path.c_str(), scale));
        ASSERT_GE(image.id(), 1) << RixLastError();
        const int32_t sw = (1203 + scale - 1) / scale, sh = (901 + scale - 1) / scale;
        EXPECT_EQ(RixWidth(image.id()), sw) << scale;
        EXPECT_EQ(RixHeight(image.id()), sh) << scale;
        // The top band is 96 / scale rows below the top edge; the bottom row
        // (part-filled for odd heights) is dark on the left.
        const int band = 96 / scale;
        EXPECT_GT(level(image.id(), 10, sh - band + 1), 200) << scale;
        EXPECT_LT(level(image.id(), 10, sh - band - 2), 50) << scale;
        EXPECT_LT(level(image.id(), 10, 0), 50) << scale;
        // The edge at x = 600 lies at 600 / scale.
        EXPECT_LT(level(image.id(), 600 / scale - 2, 20), 50) << scale;
        EXPECT_GT(level(image.id(), 600 / scale + 1, 20), 200) << scale;
    }
    // A grey file stays grey.
    const ScratchFile grey("grey.jpg", karwen::test::greyJpeg(40, 30, [](int x, int y) { return uint8_t(4 * x + y); }));
    const OwnedImage scaledGrey(RixLoadJPGScaled(grey.path(), 4));
    ASSERT_GE(scaledGrey.id(), 1) << RixLastError();
    EXPECT_EQ(RixIsGrey(scaledGrey.id()), 1);
}

// The size is read from the file's first 256 KiB where its header lies
// there, else from the whole file.
TEST(JpegScaled, SizeOfLongFilesAndOfLongHeaders)
{
    ScratchFolder folder;
    std::vector<uint8_t> bytes = codec_test::readBytes(savedPhoto(folder));
    // Five comments of 60000 bytes after the start marker: 300 kB of header.
    std::vector<uint8_t> comment{0xff, 0xfe, 60000 >> 8, 60000 & 0xff};
    comment.resize(60002, 'c');
    for (int i = 0; i < 5; ++i)
        bytes.insert(bytes.begin() + 2, comment.begin(), comment.end());
    const codec_test::ScratchFile longHeader("long_header.jpg", bytes);
    int32_t w = 0, h = 0;
    ASSERT_EQ(RixJPGSize(longHeader.path(), &w, &h), 1) << RixLastError();
    EXPECT_EQ(w, 1203);
    EXPECT_EQ(h, 901);
    const std::string real = codec_test::photoPath(KARWEN_REAL_DATA_DIR, "broadleaf_dusk_fce9.jpg");
    if (real.empty())
        GTEST_SKIP() << "the real photos are not here";
    ASSERT_EQ(RixJPGSize(real.c_str(), &w, &h), 1) << RixLastError();
    EXPECT_EQ(w, 2560);
    EXPECT_EQ(h, 1920);
}

TEST(JpegScaled, RefusesBadArgumentsDamageAndPhotosOverTheLimit)
{
    ScratchFolder folder;
    const std::string path = savedPhoto(folder);
    for (const int scale : {0, 3, 16, -2}) {
        EXPECT_EQ(RixLoadJPGScaled(path.c_str(), scale), 0) << scale;
        EXPECT_NE(std::string(RixLastError()).find("no such decoding scale"), std::string::npos) << RixLastError();
    }
    int32_t w = 0, h = 0;
    EXPECT_EQ(RixJPGSize(path.c_str(), nullptr, &h), 0);
    EXPECT_EQ(RixJPGSize(nullptr, &w, &h), 0);
    EXPECT_EQ(RixLoadJPGScaled(nullptr, 2), 0);

    // Cut in half: damaged, as RixLoadJPG says.
    std::vector<uint8_t> bytes = codec_test::readBytes(path);
    bytes.resize(bytes.size() / 2);
    const codec_test::ScratchFile cut("cut.jpg", bytes);
    EXPECT_EQ(RixLoadJPGScaled(cut.path(), 8), 0);
    const std::string scaledError = RixLastError();
    EXPECT_EQ(RixLoadJPG(cut.path()), 0);
    EXPECT_EQ(scaledError.substr(scaledError.find(": ")), std::string(RixLastError()).substr(10)); // after "RixLoadJPG"
    EXPECT_NE(scaledError.find("damaged JPEG data"), std::string::npos) << scaledError;
    const codec_test::ScratchFile text("text.jpg", {'n', 'o'});
    EXPECT_EQ(RixJPGSize(text.path(), &w, &h), 0);

    // The limit is the file's pixels, not the scaled image's.
    ASSERT_EQ(RixSetMaxPixels(1203 * 901 - 1), 1);
    EXPECT_EQ(RixLoadJPGScaled(path.c_str(), 8), 0);
    EXPECT_NE(std::string(RixLastError()).find("too large: 1203 x 901 pixels"), std::string::npos) << RixLastError();
    ASSERT_EQ(RixSetMaxPixels(0), 1);
}
