// Damaged JPEG scan data fails RixLoadJPG and loads, flagged, through
// RixSalvageJPG, also when a harmless header defect comes first; odd metadata
// segments still load. Files are encoded here (by TurboJPEG, by libjpeg where
// they need restart markers) and taken from a real photo when the shared
// photos are present.
#include "codec_test_support.h"
#include "jpeg_test_support.h"
#include "rix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace codec_test;
using jpeg_test::findMarker;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// Diagonal ramps, by row from the top (the damage lands where libjpeg notices it).
jpeg_test::Pixel shade(int x, int yUp)
{
    const int y = kHeight - 1 - yUp;
    auto level = [&](int channel) { return uint8_t((x * (channel + 1) * 3 + y * (3 - channel) * 2) % 256); };
    return {level(0), level(1), level(2), 0};
}

// A 4:2:0 file at quality 90 from TurboJPEG, baseline or progressive.
std::vector<uint8_t> encode(int flags = 0)
{
    return jpeg_test::tjEncode(kWidth, kHeight, shade, TJPF_RGBX, TJSAMP_420, flags);
}

std::vector<uint8_t> progressive() { return encode(TJFLAG_PROGRESSIVE); }

// The same with a restart marker after every row of MCUs.
std::vector<uint8_t> encodeWithRestarts() { return jpeg_test::libjpegEncode(kWidth, kHeight, shade, {}, 1); }

// Overwrites eight bytes at a fraction of the file with zeros. libjpeg
// notices this only where the data goes out of step by more than the few
// bytes it reads ahead; the places used here are such places.
std::vector<uint8_t> zerosAt(std::vector<uint8_t> b, double fraction)
{
    std::fill_n(b.begin() + std::ptrdiff_t(double(b.size()) * fraction), 8, 0);
    return b;
}

std::vector<uint8_t> insertedAt(std::vector<uint8_t> b, std::size_t at, std::vector<uint8_t> bytes)
{
    b.insert(b.begin() + std::ptrdiff_t(at), bytes.begin(), bytes.end());
    return b;
}

// Sixteen stray bytes, more than the decoder reads ahead, before a marker
// in the scan data.
std::vector<uint8_t> strayAt(std::vector<uint8_t> b, std::size_t at)
{
    return insertedAt(std::move(b), at, std::vector<uint8_t>(16, 0x5a));
}

std::vector<uint8_t> strayBeforeFirstRestart(std::vector<uint8_t> b)
{
    const std::size_t at = findMarker(b, 0xd0, findMarker(b, 0xda));
    return strayAt(std::move(b), at);
}

std::vector<uint8_t> strayBeforeEnd(std::vector<uint8_t> b)
{
    const std::size_t at = b.size() - 2;
    return strayAt(std::move(b), at);
}

// Between the first two scans of a progressive file.
std::vector<uint8_t> strayBeforeSecondScan()
{
    const std::vector<uint8_t> b = progressive();
    return strayAt(b, findMarker(b, 0xda, findMarker(b, 0xda) + 2));
}

std::vector<uint8_t> cutAtTwoThirds(std::vector<uint8_t> b) { return jpeg_test::cut(std::move(b), 2.0 / 3.0); }

// Header segments that carry only metadata, odd without harm to the pixels.
std::vector<uint8_t> withJfifMajorVersion2(std::vector<uint8_t> b)
{
    EXPECT_EQ(b[3], 0xe0);
    b[11] = 2; // APP0 "JFIF\0" then the major version
    return b;
}

std::vector<uint8_t> withJunkComment(std::vector<uint8_t> b)
{
    // A COM segment holding a marker-like pair, then stray bytes before APP0.
    return insertedAt(std::move(b), 2, {0xff, 0xfe, 0x00, 0x08, 0xff, 0xd9, 0x00, 0xff, 0x01, 0x02, 0x5a, 0x5a});
}

// Stray bytes between two header segments, a common defect.
std::vector<uint8_t> withStrayBytesAfterApp0(std::vector<uint8_t> b)
{
    EXPECT_EQ(b[3], 0xe0);
    const std::size_t afterApp0 = 4 + std::size_t(b[4] << 8 | b[5]);
    return insertedAt(std::move(b), afterApp0, {0x12, 0x34, 0x56});
}

// An Adobe segment in place of the JFIF one, whose colour transform code
// means nothing; the components are then taken as YCbCr, as they are.
std::vector<uint8_t> withUnknownAdobeTransform(std::vector<uint8_t> b)
{
    EXPECT_EQ(b[3], 0xe0);
    b.erase(b.begin() + 2, b.begin() + 4 + (b[4] << 8 | b[5]));
    return insertedAt(std::move(b), 2, {0xff, 0xee, 0x00, 0x0e, 'A', 'd', 'o', 'b', 'e', 0x00, 0x64, 0, 0, 0, 0, 9});
}

// A progressive point transform in the scan header of a baseline file,
// which sequential decoding ignores.
std::vector<uint8_t> withProgressiveScanParameters(std::vector<uint8_t> b)
{
    const std::size_t sos = findMarker(b, 0xda);
    b.at(sos + 5 + 2 * std::size_t(b.at(sos + 4)) + 2) = 0x01; // after Ns and its pairs: Ss, Se, Ah/Al
    return b;
}

// Writes bytes to a scratch file and loads it both ways.
struct Loads {
    int32_t strict = 0;
    std::string strictError;
    int32_t salvaged = 0;
    int32_t damaged = -1;
    std::string salvageError;
};

Loads loadBothWays(const std::vector<uint8_t>& bytes)
{
    const ScratchFile file("photo.jpg", bytes);
    Loads l;
    l.strict = RixLoadJPG(file.path());
    l.strictError = RixLastError();
    l.salvaged = RixSalvageJPG(file.path(), &l.damaged);
    l.salvageError = RixLastError();
    return l;
}

struct DamageCase {
    const char* name;
    std::vector<uint8_t> (*bytes)();
    const char* says;
};

// Damage alone, and damage after a harmless header defect, which must not
// hide it (TurboJPEG reports only the first warning of a decode).
const DamageCase kDamaged[] = {
    {"EightZeroBytesInScan", [] { return zerosAt(encode(), 0.5); }, "damaged JPEG data: Corrupt JPEG data"},
    {"CutAtTwoThirds", [] { return cutAtTwoThirds(encode()); }, "damaged JPEG data: Premature end of JPEG file"},
    {"StrayBytesBeforeRestartMarker", [] { return strayBeforeFirstRestart(encodeWithRestarts()); },
        "extraneous bytes before marker 0xd0"},
    {"StrayBytesBeforeEndMarker", [] { return strayBeforeEnd(encode()); }, "extraneous bytes before marker 0xd9"},
    {"StrayBytesBetweenProgressiveScans", strayBeforeSecondScan, "extraneous bytes before marker 0xda"},
    {"OldJfifThenZerosInScan", [] { return zerosAt(withJfifMajorVersion2(encode()), 0.5); },
        "damaged JPEG data: Corrupt JPEG data"},
    {"JunkCommentThenStrayBytesBeforeRestart",
        [] { return strayBeforeFirstRestart(withJunkComment(encodeWithRestarts())); },
        "extraneous bytes before marker 0xd0"},
    {"JunkCommentThenStrayBytesBetweenProgressiveScans", [] { return withJunkComment(strayBeforeSecondScan()); },
        "extraneous bytes before marker 0xda"},
    {"UnknownAdobeTransformThenCut", [] { return cutAtTwoThirds(withUnknownAdobeTransform(encode())); },
        "damaged JPEG data: Premature end of JPEG file"},
    {"ProgressiveScanParametersThenStrayBytesBeforeEnd",
        [] { return strayBeforeEnd(withProgressiveScanParameters(encode())); }, "extraneous bytes before marker 0xd9"},
};

class JpegDamage : public ::testing::TestWithParam<DamageCase> { };

TEST_P(JpegDamage, FailsToLoadAndIsSalvagedWithItsReason)
{
    const Loads l = loadBothWays(GetParam().bytes());
    OwnedImage salvaged(l.salvaged);
    EXPECT_EQ(l.strict, 0);
    EXPECT_NE(l.strictError.find(GetParam().says), std::string::npos) << l.strictError;
    ASSERT_GE(l.salvaged, 1) << l.salvageError;
    EXPECT_EQ(RixWidth(l.salvaged), kWidth);
    EXPECT_EQ(l.damaged, 1);
    EXPECT_EQ(l.salvageError.rfind("RixSalvageJPG: '", 0), 0u) << l.salvageError;
    EXPECT_NE(l.salvageError.find(GetParam().says), std::string::npos) << l.salvageError;
}

INSTANTIATE_TEST_SUITE_P(
    Jpeg, JpegDamage, ::testing::ValuesIn(kDamaged), [](const auto& test) { return std::string(test.param.name); });

// Loads the file both ways, undamaged and pixel for pixel like the reference.
void expectLoadsLike(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& referenceBytes)
{
    const Loads reference = loadBothWays(referenceBytes);
    OwnedImage strictReference(reference.strict), salvagedReference(reference.salvaged);
    ASSERT_GE(reference.strict, 1) << reference.strictError;
    const Loads l = loadBothWays(bytes);
    OwnedImage strict(l.strict), salvaged(l.salvaged);
    ASSERT_GE(l.strict, 1) << l.strictError;
    ASSERT_GE(l.salvaged, 1) << l.salvageError;
    EXPECT_EQ(l.damaged, 0);
    EXPECT_EQ(l.salvageError, "");
    for (int y = 0; y < kHeight; y += 7)
        for (int x = 0; x < kWidth; x += 5) {
            ASSERT_EQ(pixelAt(l.strict, x, y), pixelAt(reference.strict, x, y)) << x << ", " << y;
            ASSERT_EQ(pixelAt(l.salvaged, x, y), pixelAt(reference.strict, x, y)) << x << ", " << y;
        }
}

TEST(JpegDamage, OddMetadataSegmentsStillLoadExactly)
{
    for (auto defect : {withJfifMajorVersion2, withJunkComment, withStrayBytesAfterApp0, withUnknownAdobeTransform,
             withProgressiveScanParameters})
        expectLoadsLike(defect(encode()), encode());
    expectLoadsLike(withJunkComment(progressive()), progressive());
    expectLoadsLike(withJunkComment(encodeWithRestarts()), encodeWithRestarts());
}

// Files that cannot be read at all fail when salvaging too; a header cut
// short inside its Huffman tables, after the frame header, is no damage to
// the pixel data.
TEST(JpegDamage, UnreadableFilesFailEvenWhenSalvaging)
{
    std::vector<uint8_t> cutInTables = encode();
    cutInTables.resize(findMarker(cutInTables, 0xc4, findMarker(cutInTables, 0xc0)) + 20);
    for (const std::vector<uint8_t>& bytes :
        {std::vector<uint8_t>{}, std::vector<uint8_t>{0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10}, cutInTables}) {
        const Loads l = loadBothWays(bytes);
        EXPECT_EQ(l.strict, 0);
        EXPECT_EQ(l.salvaged, 0);
        EXPECT_EQ(l.salvageError.rfind("RixSalvageJPG: ", 0), 0u) << l.salvageError;
    }
    const Loads l = loadBothWays(cutInTables);
    for (const std::string& message : {l.strictError, l.salvageError}) {
        EXPECT_NE(message.find("unreadable JPEG header"), std::string::npos) << message;
        EXPECT_EQ(message.find("damaged"), std::string::npos) << message;
    }
    EXPECT_EQ(RixSalvageJPG("x.jpg", nullptr), 0);
}

// The real photo that, with eight zeros in its scan data, used to give
// figures from a broken picture.
TEST(JpegDamage, RealPhotoWithZerosInItsScanData)
{
    const std::string path = codec_test::photoPath(KARWEN_REAL_DATA_DIR, "mixed_sunlit_fce9.jpg");
    if (path.empty())
        GTEST_SKIP() << "mixed_sunlit_fce9.jpg is not available";
    const std::vector<uint8_t> whole = codec_test::readBytes(path);
    const Loads intact = loadBothWays(whole);
    OwnedImage strict(intact.strict), salvagedWhole(intact.salvaged);
    EXPECT_GE(intact.strict, 1) << intact.strictError;
    EXPECT_EQ(intact.damaged, 0);
    const Loads l = loadBothWays(zerosAt(whole, 0.4));
    OwnedImage salvaged(l.salvaged);
    EXPECT_EQ(l.strict, 0);
    EXPECT_NE(l.strictError.find("damaged JPEG data"), std::string::npos) << l.strictError;
    EXPECT_EQ(l.damaged, 1);
}

} // namespace
