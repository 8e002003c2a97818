// JPEG files written here with TurboJPEG in every flavour the loader must
// read; pictures are compared by PSNR, orientation included (row 0 is the
// bottom row). The bound suite loads the shipped sample and the real photos.
#include "codec_test_support.h"
#include "rix.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdio> // before jpeglib.h, which needs FILE
#include <cstdlib>
#include <filesystem>
#include <functional>

#include <jpeglib.h>

using codec_test::pixelAt;
using codec_test::readBytes;
using codec_test::writeBytes;
using karwen::test::ScratchFolder;

namespace {

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

double luma(const Rgb& c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

uint8_t byteOf(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

// Peak signal-to-noise ratio of the image behind handle against expected.
double psnr(int32_t handle, const std::function<Rgb(int, int)>& expected)
{
    double sum = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = pixelAt(handle, x, y);
            const Rgb e = expected(x, y);
            const double dr = double((p >> 16) & 0xff) - byteOf(e.r);
            const double dg = double((p >> 8) & 0xff) - byteOf(e.g);
            const double db = double(p & 0xff) - byteOf(e.b);
            sum += dr * dr + dg * dg + db * db;
        }
    const double mse = sum / (3.0 * kWidth * kHeight);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool allOpaque(int32_t handle)
{
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if ((pixelAt(handle, x, y) >> 24) != 0xff)
                return false;
    return true;
}

// Compresses a bottom-up buffer of 4-byte pixels with TurboJPEG.
std::vector<uint8_t> compress(const std::vector<uint8_t>& pixels, int format, int subsampling, int flags)
{
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(
        tj, pixels.data(), kWidth, kWidth * 4, kHeight, format, &out, &size, subsampling, 90, flags | TJFLAG_BOTTOMUP);
    std::vector<uint8_t> bytes;
    if (rc == 0)
        bytes.assign(out, out + size);
    tjFree(out);
    tjDestroy(tj);
    EXPECT_EQ(rc, 0) << tjGetErrorStr2(nullptr);
    return bytes;
}

std::vector<uint8_t> smoothBgrx()
{
    std::vector<uint8_t> p;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Rgb c = smooth(x, y);
            p.insert(p.end(), {byteOf(c.b), byteOf(c.g), byteOf(c.r), 0});
        }
    return p;
}

// Black plate that darkens the picture towards the bottom.
double inkK(int y) { return 155.0 + 100.0 * y / (kHeight - 1); }

// Adobe-style CMYK as most CMYK JPEGs hold it: inverted, 255 = no ink.
std::vector<uint8_t> smoothInvertedCmyk()
{
    std::vector<uint8_t> p;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Rgb c = smooth(x, y);
            p.insert(p.end(), {byteOf(c.r), byteOf(c.g), byteOf(c.b), byteOf(inkK(y))});
        }
    return p;
}

// Sampling factors that TurboJPEG has no name for, so only libjpeg itself
// writes them. Its default error handler ends the program on failure.
std::vector<uint8_t> compressWithFactors(int lumaH, int lumaV, int chromaH, int chromaV)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    c.comp_info[0].h_samp_factor = lumaH;
    c.comp_info[0].v_samp_factor = lumaV;
    for (int i = 1; i < 3; ++i) {
        c.comp_info[i].h_samp_factor = chromaH;
        c.comp_info[i].v_samp_factor = chromaV;
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(std::size_t(kWidth) * 3);
    while (c.next_scanline < c.image_height) {
        const int y = kHeight - 1 - int(c.next_scanline); // scan lines run top-down
        for (int x = 0; x < kWidth; ++x) {
            const Rgb p = smooth(x, y);
            row[3 * std::size_t(x)] = byteOf(p.r);
            row[3 * std::size_t(x) + 1] = byteOf(p.g);
            row[3 * std::size_t(x) + 2] = byteOf(p.b);
        }
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&c, &line, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

struct KindCase {
    const char* name;
    std::function<std::vector<uint8_t>()> file;
    std::function<Rgb(int, int)> expected;
};

Rgb grey(int x, int y)
{
    const double v = luma(smooth(x, y));
    return {v, v, v};
}

Rgb cmykSeen(int x, int y)
{
    const Rgb c = smooth(x, y);
    const double k = byteOf(inkK(y)) / 255.0;
    return {byteOf(c.r) * k, byteOf(c.g) * k, byteOf(c.b) * k};
}

const KindCase kKinds[] = {
    {"Baseline444", [] { return compress(smoothBgrx(), TJPF_BGRX, TJSAMP_444, 0); }, smooth},
    {"Baseline422", [] { return compress(smoothBgrx(), TJPF_BGRX, TJSAMP_422, 0); }, smooth},
    {"Progressive420", [] { return compress(smoothBgrx(), TJPF_BGRX, TJSAMP_420, TJFLAG_PROGRESSIVE); }, smooth},
    {"Greyscale", [] { return compress(smoothBgrx(), TJPF_BGRX, TJSAMP_GRAY, 0); }, grey},
    {"GreyscaleProgressive", [] { return compress(smoothBgrx(), TJPF_BGRX, TJSAMP_GRAY, TJFLAG_PROGRESSIVE); }, grey},
    {"Cmyk", [] { return compress(smoothInvertedCmyk(), TJPF_CMYK, TJSAMP_444, 0); }, cmykSeen},
    {"LumaSampled3x1", [] { return compressWithFactors(3, 1, 1, 1); }, smooth},
    {"LumaSampled1x3", [] { return compressWithFactors(1, 3, 1, 1); }, smooth},
    {"LumaSampled3x2", [] { return compressWithFactors(3, 2, 1, 1); }, smooth},
    {"ChromaSampled1x2", [] { return compressWithFactors(1, 1, 1, 2); }, smooth},
    {"CmykProgressive", [] { return compress(smoothInvertedCmyk(), TJPF_CMYK, TJSAMP_420, TJFLAG_PROGRESSIVE); },
        cmykSeen},
};

class JpegKinds : public ::testing::TestWithParam<KindCase> { };

TEST_P(JpegKinds, LoadsUprightAndClose)
{
    ScratchFolder folder;
    const std::string path = folder.file(std::string(GetParam().name) + ".jpg");
    writeBytes(path, GetParam().file());
    const int32_t h = RixLoadJPG(path.c_str());
    ASSERT_GE(h, 1) << RixLastError();
    ASSERT_EQ(RixWidth(h), kWidth);
    ASSERT_EQ(RixHeight(h), kHeight);
    EXPECT_GT(psnr(h, GetParam().expected), 35.0);
    EXPECT_TRUE(allOpaque(h));
    RixDestroy(h);
}

INSTANTIATE_TEST_SUITE_P(
    Jpeg, JpegKinds, ::testing::ValuesIn(kKinds), [](const auto& test) { return std::string(test.param.name); });

TEST(JpegSave, RoundTripAtQuality75)
{
    ScratchFolder folder;
    const std::string path = folder.file("Bild_äöü_日本.jpg");
    const int32_t src = RixCreate(kWidth, kHeight);
    rix::Image* image = rix::findImage(src);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Rgb c = smooth(x, y);
            image->row(y)[x] = rix::packRgb(byteOf(c.r), byteOf(c.g), byteOf(c.b));
        }
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
    RixDestroy(src);
}

// --- Damaged files ----------------------------------------------------------

std::vector<uint8_t> baseline() { return compress(smoothBgrx(), TJPF_BGRX, TJSAMP_420, 0); }
std::vector<uint8_t> progressive() { return compress(smoothBgrx(), TJPF_BGRX, TJSAMP_420, TJFLAG_PROGRESSIVE); }

std::vector<uint8_t> cut(std::vector<uint8_t> b, double fraction)
{
    b.resize(std::size_t(double(b.size()) * fraction));
    return b;
}

// Overwrites the frame size in the first start-of-frame marker.
std::vector<uint8_t> withFrameSize(std::vector<uint8_t> b, int width, int height)
{
    for (std::size_t i = 2; i + 9 < b.size(); ++i)
        if (b[i] == 0xff && (b[i + 1] == 0xc0 || b[i + 1] == 0xc2)) {
            b[i + 5] = uint8_t(height >> 8);
            b[i + 6] = uint8_t(height);
            b[i + 7] = uint8_t(width >> 8);
            b[i + 8] = uint8_t(width);
            break;
        }
    return b;
}

// Ends the file inside its start-of-frame segment, before the component count.
std::vector<uint8_t> cutInFrameHeader(std::vector<uint8_t> b)
{
    for (std::size_t i = 2; i + 1 < b.size(); ++i)
        if (b[i] == 0xff && b[i + 1] == 0xc0) {
            b.resize(i + 8);
            break;
        }
    return b;
}

struct BadJpeg {
    const char* name;
    std::function<std::vector<uint8_t>()> bytes;
    const char* says = ""; // part of the message, after the function's name
};

const BadJpeg kBadJpegs[] = {
    {"Empty", [] { return std::vector<uint8_t>{}; }},
    {"StartMarkerOnly",
        [] {
            return std::vector<uint8_t>{0xff, 0xd8};
        }},
    {"Garbage",
        [] {
            std::vector<uint8_t> g(5000);
            for (std::size_t i = 0; i < g.size(); ++i)
                g[i] = uint8_t(i * 7919 >> 3);
            return g;
        }},
    {"GarbageAfterStartMarker",
        [] {
            std::vector<uint8_t> g(5000, 0x5a);
            g[0] = 0xff;
            g[1] = 0xd8;
            g[2] = 0xff;
            return g;
        }},
    {"BmpBytes",
        [] {
            return std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0};
        },
        "not a JPEG file"},
    {"HeaderEndsInFirstSegment",
        [] {
            return std::vector<uint8_t>{0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10};
        },
        "the JPEG header ends before the image size"},
    {"BaselineCutInHeader", [] { return cut(baseline(), 0.05); }},
    {"BaselineCutAtHalf", [] { return cut(baseline(), 0.5); }},
    {"BaselineCutAtNinetyPercent", [] { return cut(baseline(), 0.9); }},
    {"BaselineWithoutEndMarker",
        [] {
            auto b = baseline();
            b.erase(b.end() - 2, b.end());
            return b;
        }},
    {"ProgressiveCutAtHalf", [] { return cut(progressive(), 0.5); }},
    {"ProgressiveCutAtNinetyPercent", [] { return cut(progressive(), 0.9); }},
    {"Width40000", [] { return withFrameSize(baseline(), 40000, kHeight); }, "more than 32767 a side"},
    {"Height32768", [] { return withFrameSize(baseline(), kWidth, 32768); }},
    {"ClaimsHugeSizeInSmallFile", [] { return withFrameSize(baseline(), 30000, 30000); }},
    {"UnnamedSamplingCutAtHalf", [] { return cut(compressWithFactors(3, 1, 1, 1), 0.5); }, "damaged JPEG data"},
    {"UnnamedSamplingCutInFrameHeader", [] { return cutInFrameHeader(compressWithFactors(3, 1, 1, 1)); }},
    {"HeightZero", [] { return withFrameSize(baseline(), kWidth, 0); }, "holds no pixels"},
    {"EntropyDataScrambled",
        [] {
            auto b = baseline();
            for (std::size_t i = b.size() / 3; i < b.size() - 2; i += 7)
                b[i] = uint8_t(b[i] * 13 + 1) == 0xff ? 0 : uint8_t(b[i] * 13 + 1);
            return b;
        }},
};

class JpegBadFiles : public ::testing::TestWithParam<BadJpeg> { };

TEST_P(JpegBadFiles, LoadFailsWithMessage)
{
    ScratchFolder folder;
    const std::string path = folder.file("bad.jpg");
    writeBytes(path, GetParam().bytes());
    EXPECT_EQ(RixLoadJPG(path.c_str()), 0);
    const std::string message = RixLastError();
    EXPECT_EQ(message.rfind("RixLoadJPG: '" + path + "': ", 0), 0u) << message;
    EXPECT_NE(message.find(GetParam().says), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Jpeg, JpegBadFiles, ::testing::ValuesIn(kBadJpegs), [](const auto& test) { return std::string(test.param.name); });

TEST(JpegBadFiles, MissingFileAndNoHandleLeak)
{
    ScratchFolder folder;
    const std::string good = folder.file("good.jpg");
    writeBytes(good, baseline());
    const int32_t before = RixLoadJPG(good.c_str());
    ASSERT_GE(before, 1) << RixLastError();
    RixDestroy(before);
    EXPECT_EQ(RixLoadJPG(folder.file("absent.jpg").c_str()), 0);
    EXPECT_NE(std::string(RixLastError()).find("absent.jpg"), std::string::npos) << RixLastError();
    EXPECT_EQ(RixLoadJPG(""), 0);
    const std::string bad = folder.file("bad.jpg");
    writeBytes(bad, cut(baseline(), 0.5));
    EXPECT_EQ(RixLoadJPG(bad.c_str()), 0);
    const int32_t after = RixLoadJPG(good.c_str());
    EXPECT_EQ(after, before + 1) << "failed loads must not consume handles";
    RixDestroy(after);
}

// Stray bytes between header segments are a common, harmless defect.
TEST(JpegTolerance, ExtraneousBytesBetweenMarkersAreAccepted)
{
    std::vector<uint8_t> b = baseline();
    const std::size_t app0Length = std::size_t(b[4] << 8 | b[5]);
    ASSERT_EQ(b[3], 0xe0);
    b.insert(b.begin() + std::ptrdiff_t(4 + app0Length), {0x12, 0x34, 0x56});
    ScratchFolder folder;
    const std::string path = folder.file("stray.jpg");
    writeBytes(path, b);
    const int32_t h = RixLoadJPG(path.c_str());
    ASSERT_GE(h, 1) << RixLastError();
    EXPECT_GT(psnr(h, smooth), 35.0);
    RixDestroy(h);
}

} // namespace
