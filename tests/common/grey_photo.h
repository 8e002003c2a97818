// Photos of one grey channel as cameras and scanners write them: a JPEG of
// one component (TurboJPEG's grey), a BMP of 8 bits whose palette holds the
// 256 greys; the value of pixel (x, y), y counted from the bottom row.
#pragma once

#include "bmp_bytes.h"

#include <turbojpeg.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace karwen::test {

using GreyAt = std::function<uint8_t(int x, int y)>;

inline std::vector<uint8_t> greyJpeg(int w, int h, const GreyAt& at)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(at(x, y));
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> bytes;
    if (tjCompress2(tj, pixels.data(), w, w, h, TJPF_GRAY, &out, &size, TJSAMP_GRAY, 90, TJFLAG_BOTTOMUP) == 0)
        bytes.assign(out, out + size);
    tjFree(out);
    tjDestroy(tj);
    return bytes;
}

inline std::string greyBmp(int w, int h, const GreyAt& at)
{
    BmpLayout layout;
    layout.width = w;
    layout.height = h;
    layout.bitCount = 8;
    for (uint32_t v = 0; v < 256; ++v)
        layout.palette.push_back(v * 0x010101u);
    const int stride = (w + 3) & ~3;
    std::string rows;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            rows += char(at(x, y));
        rows.append(std::size_t(stride - w), '\0');
    }
    return bmpBytes(layout, rows);
}

} // namespace karwen::test
