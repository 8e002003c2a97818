// BMP loading: BITMAPCOREHEADER and BITMAPINFOHEADER up to V5; 1/4/8-bit
// palettes (uncompressed, RLE4, RLE8), 16-bit (555 by default, bit fields),
// 24-bit and 32-bit (plain or bit fields); bottom-up and top-down rows.
// Every size is checked against the file length before anything is allocated.
// Pixel data shorter than the header promises is damage (see DecodedImage).
#include "bmp_format.h"
#include "bmp_rle.h"
#include "codecs.h"
#include "decode_limit.h"
#include "decoded_file.h"
#include "errors.h"
#include "memory_codecs.h"

#include <algorithm>
#include <bit>
#include <string>

namespace rix {

namespace {

using namespace bmp;

// RLE compresses at most 255 pixels into two bytes; a file claiming more than
// twice that ratio over the whole image cannot be a real picture. Damaged
// files are held to the same ratio before their image is made.
constexpr uint64_t kMaxPixelsPerByte = 256;
constexpr const char* kDamagedPrefix = "damaged BMP data: ";
// Every kind of BMP the loader does not read is told in these words first,
// so that callers can tell it from damage.
constexpr const char* kUnsupported = "unsupported kind of BMP: ";

// One colour channel of a bit-field pixel, scaled to 8 bits.
class Channel {
public:
    Channel() = default;
    explicit Channel(uint32_t mask)
        : mask_(mask)
        , shift_(mask ? std::countr_zero(mask) : 0)
        , max_(mask >> shift_)
    {
        if ((max_ & (max_ + 1)) != 0)
            throw Error(std::string(kUnsupported) + "a bit-field mask with gaps");
    }
    uint8_t operator()(uint32_t pixel) const
    {
        if (max_ == 0)
            return 0;
        const uint64_t v = (pixel & mask_) >> shift_;
        return uint8_t((v * 255 + max_ / 2) / max_);
    }
    uint32_t mask() const { return mask_; }

private:
    uint32_t mask_ = 0;
    int shift_ = 0;
    uint32_t max_ = 0;
};

struct Layout {
    int32_t width = 0;
    int32_t height = 0; // always positive; topDown tells the row order
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = kRgb;
    std::size_t pixelOffset = 0;
    Palette palette{};
    Channel red, green, blue;
};

void checkSides(int64_t width, int64_t height)
{
    if (width <= 0 || height == 0)
        throw Error("BMP size " + std::to_string(width) + " x " + std::to_string(height) + " is empty or negative");
    if (width > kMaxSide || height > kMaxSide || height < -int64_t(kMaxSide))
        throw Error("too large: " + std::to_string(width) + " x " + std::to_string(height < 0 ? -height : height)
            + " pixels, more than " + std::to_string(kMaxSide) + " a side");
}

void checkPlausible(const Layout& l, std::size_t available, const std::string& otherwise)
{
    if (uint64_t(l.width) * uint64_t(l.height) > kMaxPixelsPerByte * available)
        throw Error(otherwise);
}

void checkFormat(const Layout& l, bool core)
{
    const int bits = l.bitCount;
    switch (l.compression) {
    case kRgb:
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && !(!core && (bits == 16 || bits == 32)))
            throw Error(kUnsupported + std::to_string(bits) + " bits per pixel");
        return;
    case kRle8:
    case kRle4:
        if (bits != (l.compression == kRle8 ? 8 : 4))
            throw Error(kUnsupported + std::string(l.compression == kRle8 ? "RLE8" : "RLE4") + " compression with "
                + std::to_string(bits) + " bits per pixel");
        if (l.topDown)
            throw Error(std::string(kUnsupported) + "RLE compression of top-down rows");
        return;
    case kBitFields:
    case kAlphaBitFields:
        if (bits != 16 && bits != 32)
            throw Error(kUnsupported + std::string("bit fields with ") + std::to_string(bits)
                + " bits per pixel (only 16 or 32)");
        return;
    case kJpeg:
    case kPng:
        throw Error(std::string(kUnsupported) + "embedded JPEG or PNG data");
    default:
        throw Error(kUnsupported + std::string("compression method ") + std::to_string(l.compression));
    }
}

void readMasks(Layout& l, const uint8_t* masks)
{
    if (l.compression == kBitFields || l.compression == kAlphaBitFields) {
        l.red = Channel(readU32(masks));
        l.green = Channel(readU32(masks + 4));
        l.blue = Channel(readU32(masks + 8));
        if (l.bitCount == 16 && ((l.red.mask() | l.green.mask() | l.blue.mask()) >> 16) != 0)
            throw Error(std::string(kUnsupported) + "a bit-field mask wider than its 16-bit pixels");
    } else if (l.bitCount == 16) {
        l.red = Channel(0x7c00);
        l.green = Channel(0x03e0);
        l.blue = Channel(0x001f);
    } else {
        l.red = Channel(0x00ff0000);
        l.green = Channel(0x0000ff00);
        l.blue = Channel(0x000000ff);
    }
}

// Fills the palette from the entries between the headers and the pixel data;
// a colour count larger than the bit depth allows is cut to 2^bits.
void readPalette(Layout& l, const uint8_t* data, std::size_t tableStart, uint64_t colorsUsed, std::size_t entrySize)
{
    l.palette.fill(0xff000000u);
    const uint64_t maxEntries = uint64_t(1) << l.bitCount;
    uint64_t count = colorsUsed == 0 ? maxEntries : std::min(colorsUsed, maxEntries);
    count = std::min<uint64_t>(count, (l.pixelOffset - tableStart) / entrySize);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* e = data + tableStart + i * entrySize;
        l.palette[i] = packRgb(e[2], e[1], e[0]);
    }
}

Layout parseHeaders(const uint8_t* data, std::size_t size)
{
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        throw Error("not a BMP file (no 'BM' signature)");
    if (size < kFileHeaderSize + 4)
        throw Error("BMP file header truncated");
    Layout l;
    l.pixelOffset = readU32(data + 10);
    const uint32_t headerSize = readU32(data + kFileHeaderSize);
    const uint8_t* h = data + kFileHeaderSize;
    const bool core = headerSize == kCoreHeaderSize;
    if (!core && headerSize != kInfoHeaderSize && headerSize != 52 && headerSize != 56 && headerSize != kV4HeaderSize
        && headerSize != kV5HeaderSize)
        throw Error("unsupported BMP header size " + std::to_string(headerSize));
    if (size - kFileHeaderSize < headerSize)
        throw Error("BMP info header truncated");

    int64_t height = 0;
    uint32_t colorsUsed = 0;
    if (core) {
        l.width = readU16(h + 4);
        height = readU16(h + 6);
        l.bitCount = readU16(h + 10);
    } else {
        l.width = readI32(h + 4);
        height = readI32(h + 8);
        l.bitCount = readU16(h + 14);
        l.compression = readU32(h + 16);
        colorsUsed = readU32(h + 32);
    }
    checkSides(l.width, height);
    l.topDown = height < 0;
    l.height = int32_t(height < 0 ? -height : height);
    checkFormat(l, core);

    // The masks of a plain BITMAPINFOHEADER follow it; later versions hold them.
    std::size_t tableStart = kFileHeaderSize + headerSize;
    const uint8_t* masks = h + kInfoHeaderSize;
    if (headerSize == kInfoHeaderSize && (l.compression == kBitFields || l.compression == kAlphaBitFields)) {
        tableStart += l.compression == kBitFields ? 12 : 16;
        if (size < tableStart)
            throw Error("BMP bit field masks truncated");
    }
    if (l.pixelOffset < tableStart)
        throw Error("BMP pixel data offset points into the headers");
    if (l.pixelOffset >= size)
        throw Error(std::string(kDamagedPrefix) + "the pixel data is missing");
    if (l.bitCount <= 8)
        readPalette(l, data, tableStart, colorsUsed, core ? 3 : 4);
    else
        readMasks(l, masks);
    return l;
}

void decodeRow(const Layout& l, const uint8_t* src, uint32_t* dst)
{
    const int32_t w = l.width;
    const Palette& pal = l.palette;
    switch (l.bitCount) {
    case 1:
        for (int32_t x = 0; x < w; ++x)
            dst[x] = pal[(src[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (int32_t x = 0; x < w; ++x)
            dst[x] = pal[(x & 1) ? src[x >> 1] & 0x0f : src[x >> 1] >> 4];
        break;
    case 8:
        for (int32_t x = 0; x < w; ++x)
            dst[x] = pal[src[x]];
        break;
    case 16:
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = readU16(src + 2 * x);
            dst[x] = packRgb(l.red(v), l.green(v), l.blue(v));
        }
        break;
    case 24:
        for (int32_t x = 0; x < w; ++x, src += 3)
            dst[x] = packRgb(src[2], src[1], src[0]);
        break;
    case 32:
        if (l.red.mask() == 0x00ff0000 && l.green.mask() == 0x0000ff00 && l.blue.mask() == 0x000000ff) {
            for (int32_t x = 0; x < w; ++x, src += 4)
                dst[x] = packRgb(src[2], src[1], src[0]);
        } else {
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t v = readU32(src + 4 * x);
                dst[x] = packRgb(l.red(v), l.green(v), l.blue(v));
            }
        }
        break;
    }
}

// A file cut short keeps the rows it holds in full; the rest stay black.
DecodedImage decodeUncompressed(const Layout& l, const uint8_t* pixels, std::size_t available)
{
    const uint64_t rowBits = uint64_t(l.width) * uint64_t(l.bitCount);
    const uint64_t stride = (rowBits + 31) / 32 * 4;
    const uint64_t rowBytes = (rowBits + 7) / 8;
    // The last row's padding is often left out; its pixels are not.
    const uint64_t needed = stride * uint64_t(l.height - 1) + rowBytes;
    std::string damage;
    int32_t rows = l.height;
    if (available < needed) {
        damage = std::string(kDamagedPrefix) + "the pixel data is cut short (" + std::to_string(available) + " of "
            + std::to_string(needed) + " bytes)";
        checkPlausible(l, available, damage);
        rows = int32_t(available < rowBytes ? 0 : (available - rowBytes) / stride + 1);
    }
    // Complete data writes every pixel, so the memory needs no clearing first.
    auto image = decodedImage(l.width, l.height, rows != l.height);
    for (int32_t r = 0; r < rows; ++r)
        decodeRow(l, pixels + uint64_t(r) * stride, image->row(l.topDown ? l.height - 1 - r : r));
    return {std::move(image), damage};
}

DecodedImage decodeCompressed(const Layout& l, const uint8_t* pixels, std::size_t available)
{
    checkPlausible(l, available,
        "BMP RLE data too short for a " + std::to_string(l.width) + " x " + std::to_string(l.height) + " image");
    // decodeRle blackens what the data skips.
    auto image = decodedImage(l.width, l.height, false);
    std::string damage = decodeRle(pixels, available, l.compression == kRle4, l.palette, *image);
    if (!damage.empty())
        damage.insert(0, kDamagedPrefix);
    return {std::move(image), damage};
}

// Every entry grey; entries the file leaves out are black, grey as well.
bool isGreyLayout(const Layout& l)
{
    return l.bitCount <= 8 && std::all_of(l.palette.begin(), l.palette.end(), [](uint32_t c) {
        return redOf(c) == greenOf(c) && greenOf(c) == blueOf(c);
    });
}

DecodedImage decodeBmp(const uint8_t* data, std::size_t size)
{
    const Layout layout = parseHeaders(data, size);
    checkDecodedPixels(layout.width, layout.height);
    const uint8_t* pixels = data + layout.pixelOffset;
    const std::size_t available = size - layout.pixelOffset;
    DecodedImage decoded = layout.compression == kRle8 || layout.compression == kRle4
        ? decodeCompressed(layout, pixels, available)
        : decodeUncompressed(layout, pixels, available);
    if (decoded.image)
        decoded.image->markGrey(isGreyLayout(layout));
    return decoded;
}

} // namespace

bool bmpIsGrey(const uint8_t* data, std::size_t size) { return isGreyLayout(parseHeaders(data, size)); }

std::unique_ptr<Image> loadBmpFromMemory(const uint8_t* data, std::size_t size)
{
    return wholeImage(decodeBmp(data, size));
}

DecodedImage salvageBmpFromMemory(const uint8_t* data, std::size_t size) { return decodeBmp(data, size); }

std::unique_ptr<Image> loadBmp(const std::string& path) { return wholeImage(decodeFile(path, decodeBmp)); }

DecodedImage salvageBmp(const std::string& path) { return decodeFile(path, decodeBmp); }

} // namespace rix
