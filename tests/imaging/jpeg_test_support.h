// JPEG files made for the tests: by TurboJPEG, and by libjpeg itself where
// TurboJPEG cannot write them (sampling factors it has no name for, restart
// markers); libjpeg's default error handler ends the program on failure.
#pragma once

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio> // before jpeglib.h, which needs FILE
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>

namespace jpeg_test {

// Four bytes in the order the pixel format names (BGRX, CMYK; RGB and one
// unused for libjpeg), for pixel (x, y), y counted from the bottom row.
using Pixel = std::array<uint8_t, 4>;
using PixelAt = std::function<Pixel(int x, int y)>;

inline uint8_t byteOf(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

// A w x h picture compressed by TurboJPEG at quality 90.
inline std::vector<uint8_t> tjEncode(int w, int h, const PixelAt& at, int format, int subsampling, int flags = 0)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Pixel p = at(x, y);
            pixels.insert(pixels.end(), p.begin(), p.end());
        }
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int rc
        = tjCompress2(tj, pixels.data(), w, w * 4, h, format, &out, &size, subsampling, 90, flags | TJFLAG_BOTTOMUP);
    EXPECT_EQ(rc, 0) << tjGetErrorStr2(tj);
    std::vector<uint8_t> bytes;
    if (rc == 0)
        bytes.assign(out, out + size);
    tjFree(out);
    tjDestroy(tj);
    return bytes;
}

// Sampling factors of the luma and of both chroma components; libjpeg's
// defaults are 4:2:0.
struct Factors {
    int lumaH = 2, lumaV = 2, chromaH = 1, chromaV = 1;
};

// The same by libjpeg from RGB at quality 90, with a restart marker after
// every restartRows rows of MCUs (0: none).
inline std::vector<uint8_t> libjpegEncode(int w, int h, const PixelAt& rgb, Factors f, int restartRows = 0)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    c.restart_in_rows = restartRows;
    c.comp_info[0].h_samp_factor = f.lumaH;
    c.comp_info[0].v_samp_factor = f.lumaV;
    for (int i = 1; i < 3; ++i) {
        c.comp_info[i].h_samp_factor = f.chromaH;
        c.comp_info[i].v_samp_factor = f.chromaV;
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(std::size_t(w) * 3);
    while (c.next_scanline < c.image_height) {
        const int y = h - 1 - int(c.next_scanline); // scan lines run top-down
        for (int x = 0; x < w; ++x) {
            const Pixel p = rgb(x, y);
            std::copy_n(p.begin(), 3, row.begin() + 3 * std::ptrdiff_t(x));
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

// Index of the first marker FF code at or after from; the file size if none.
inline std::size_t findMarker(const std::vector<uint8_t>& b, uint8_t code, std::size_t from = 0)
{
    for (std::size_t i = from; i + 1 < b.size(); ++i)
        if (b[i] == 0xff && b[i + 1] == code)
            return i;
    return b.size();
}

// The first fraction of the file.
inline std::vector<uint8_t> cut(std::vector<uint8_t> b, double fraction)
{
    b.resize(std::size_t(double(b.size()) * fraction));
    return b;
}

} // namespace jpeg_test
