// BMP saving: 24-bit, BITMAPINFOHEADER, rows bottom-up as the image keeps
// them, each padded to a multiple of four bytes.
#include "bmp_format.h"
#include "codecs.h"
#include "errors.h"
#include "memory_codecs.h"
#include "save_file.h"

#include <algorithm>
#include <array>
#include <vector>

namespace rix {

namespace {

using namespace bmp;

constexpr uint32_t kPixelsPerMetre = 2835; // 72 dots per inch

std::array<uint8_t, kFileHeaderSize + kInfoHeaderSize> headers(const Image& image, uint32_t stride)
{
    const uint64_t imageBytes = uint64_t(stride) * uint64_t(image.height());
    const uint64_t fileBytes = kFileHeaderSize + kInfoHeaderSize + imageBytes;
    // 32767 x 32767 x 3 still fits, but keep the format's 32-bit limit explicit.
    if (fileBytes > UINT32_MAX)
        throw Error("image too large for a BMP file");
    std::array<uint8_t, kFileHeaderSize + kInfoHeaderSize> h{};
    h[0] = 'B';
    h[1] = 'M';
    writeU32(&h[2], uint32_t(fileBytes));
    writeU32(&h[10], kFileHeaderSize + kInfoHeaderSize);
    uint8_t* info = &h[kFileHeaderSize];
    writeU32(info, kInfoHeaderSize);
    writeU32(info + 4, uint32_t(image.width()));
    writeU32(info + 8, uint32_t(image.height())); // positive: bottom-up
    writeU16(info + 12, 1);                       // planes
    writeU16(info + 14, 24);                      // bits per pixel
    writeU32(info + 16, kRgb);
    writeU32(info + 20, uint32_t(imageBytes));
    writeU32(info + 24, kPixelsPerMetre);
    writeU32(info + 28, kPixelsPerMetre);
    return h;
}

} // namespace

std::vector<uint8_t> encodeBmp(const Image& image)
{
    const uint32_t stride = (uint32_t(image.width()) * 3 + 3) & ~3u;
    const auto header = headers(image, stride);
    std::vector<uint8_t> file(header.size() + std::size_t(stride) * std::size_t(image.height()));
    std::copy(header.begin(), header.end(), file.begin());
    uint8_t* line = file.data() + header.size();
    for (int32_t y = 0; y < image.height(); ++y, line += stride) {
        const uint32_t* src = image.row(y);
        for (int32_t x = 0; x < image.width(); ++x) {
            line[3 * x] = blueOf(src[x]);
            line[3 * x + 1] = greenOf(src[x]);
            line[3 * x + 2] = redOf(src[x]);
        }
    }
    return file;
}

void saveBmp(const Image& image, const std::string& path)
{
    const std::vector<uint8_t> file = encodeBmp(image);
    karwen::files::saveFile(path, file.data(), file.size());
}

} // namespace rix
