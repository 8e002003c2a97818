#include "grey_png.h"

#include "file_error.h"

#include <png.h>
#include <zlib.h>

#include <array>
#include <cstddef>
#include <cstdio>
#include <new>
#include <optional>
#include <string>

namespace karwen::files {

namespace {

constexpr int kPaletteSize = 4; // what 2 bits a pixel name
constexpr uint8_t kUnknown = 4; // a grey not in the palette yet

// The greys met so far, in the order met, and each grey's index.
struct Palette {
    std::array<png_color, kPaletteSize> colours{};
    int size = 0;
    std::array<uint8_t, 256> indexOf;

    Palette() { indexOf.fill(kUnknown); }

    // Adds the greys of a row not met yet; false when they are too many.
    bool learn(const uint8_t* row, std::size_t width)
    {
        for (std::size_t x = 0; x < width; ++x) {
            const uint8_t grey = row[x];
            if (indexOf[grey] != kUnknown)
                continue;
            if (size == kPaletteSize)
                return false;
            colours[std::size_t(size)] = {grey, grey, grey};
            indexOf[grey] = static_cast<uint8_t>(size++);
        }
        return true;
    }
};

// One row of palette indexes as the file stores them: four pixels a byte,
// the first in the high bits; false when the row holds a grey the palette
// does not, whose row is then not packed right.
bool packRow(const uint8_t* in, std::size_t width, const std::array<uint8_t, 256>& index, uint8_t* out)
{
    unsigned met = 0;
    std::size_t x = 0;
    for (; x + 4 <= width; x += 4) {
        const unsigned a = index[in[x]], b = index[in[x + 1]], c = index[in[x + 2]], d = index[in[x + 3]];
        met |= a | b | c | d;
        *out++ = static_cast<uint8_t>(a << 6 | b << 4 | c << 2 | d);
    }
    if (x < width) {
        unsigned last = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const unsigned i = x + k < width ? index[in[x + k]] : 0u;
            met |= i;
            last |= i << (6 - 2 * k);
        }
        *out = static_cast<uint8_t>(last);
    }
    return (met & kUnknown) == 0;
}

// The picture as rows of 2-bit palette indexes and that palette, the greys
// in the order the rows meet them; none when it holds more than four greys.
struct PackedRows {
    Palette palette;
    std::vector<uint8_t> rows;
    std::size_t stride = 0;
};

std::optional<PackedRows> packed(std::span<const uint8_t> grey, std::size_t width, std::size_t height)
{
    PackedRows p;
    p.stride = (width + 3) / 4;
    p.rows.resize(p.stride * height);
    for (std::size_t y = 0; y < height; ++y) {
        const uint8_t* in = grey.data() + y * width;
        uint8_t* out = p.rows.data() + y * p.stride;
        if (!packRow(in, width, p.palette.indexOf, out)) {
            if (!p.palette.learn(in, width))
                return std::nullopt;
            (void)packRow(in, width, p.palette.indexOf, out);
        }
    }
    return p;
}

// What libpng reports; error() jumps back into encode().
struct Report {
    char message[200] = "";
};

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    auto* report = static_cast<Report*>(png_get_error_ptr(png));
    std::snprintf(report->message, sizeof report->message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) { }

void onWrite(png_structp png, png_bytep data, png_size_t size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    try {
        out->insert(out->end(), data, data + size);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void onFlush(png_structp) { }

// The one function libpng may jump back into: it holds nothing that a
// jump would leave undestroyed.
bool encode(png_structp png, png_infop info, const uint8_t* rows, std::size_t stride, int width, int height,
    const Palette* palette, std::vector<uint8_t>* out)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, out, onWrite, onFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), palette ? 2 : 8,
        palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
        PNG_FILTER_TYPE_DEFAULT);
    if (palette)
        png_set_PLTE(png, info, palette->colours.data(), palette->size);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_set_compression_strategy(png, Z_RLE);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rows + std::size_t(y) * stride);
    png_write_end(png, info);
    return true;
}

} // namespace

std::vector<uint8_t> greyPng(std::span<const uint8_t> grey, int width, int height)
{
    if (width <= 0 || height <= 0 || grey.size() != std::size_t(width) * std::size_t(height))
        throw FileError("a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels holds "
            + std::to_string(grey.size()) + " values");
    if (width > PNG_USER_WIDTH_MAX || height > PNG_USER_HEIGHT_MAX)
        throw FileError("a picture of " + std::to_string(width) + " x " + std::to_string(height)
            + " pixels is larger than a PNG file holds");
    const std::optional<PackedRows> palette = packed(grey, std::size_t(width), std::size_t(height));
    const uint8_t* rows = palette ? palette->rows.data() : grey.data();
    const std::size_t stride = palette ? palette->stride : std::size_t(width);

    Report report;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &report, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> out;
    out.reserve(stride * std::size_t(height) / 8); // such pictures shrink about that much
    const bool done
        = info && encode(png, info, rows, stride, width, height, palette ? &palette->palette : nullptr, &out);
    png_destroy_write_struct(&png, &info);
    if (!done)
        throw FileError(
            std::string("cannot make the PNG picture: ") + (report.message[0] ? report.message : "out of memory"));
    return out;
}

} // namespace karwen::files
