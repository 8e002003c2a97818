// The bytes of a BMP file written field by field: every header size, bit
// count, palette and bit-field layout the library reads, and files it must
// refuse or that are huge once decoded but small on disk.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace karwen::test {

enum BmpCompression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

struct BmpLayout {
    uint32_t headerSize = 40; // 12 (core), 40, 56, 108 or 124
    int32_t width = 13;
    int32_t height = 5; // negative: rows stored top-down
    uint16_t bitCount = 24;
    uint32_t compression = kRgb;
    std::vector<uint32_t> palette{}; // 0xRRGGBB
    std::array<uint32_t, 4> masks{};
    uint32_t colorsUsed = 0;
};

// The file of this layout with `pixels` as its pixel data. Three or four
// masks follow a 40-byte header with bit fields; the longer headers hold
// four; the palette comes last, three bytes an entry after a core header.
inline std::string bmpBytes(const BmpLayout& s, const std::string& pixels)
{
    const auto put = [](std::string& to, uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            to += char((value >> (8 * i)) & 0xff);
    };
    std::string info;
    put(info, s.headerSize, 4);
    const int side = s.headerSize == 12 ? 2 : 4;
    put(info, uint32_t(s.width), side);
    put(info, uint32_t(s.height), side);
    put(info, 1, 2); // one plane
    put(info, s.bitCount, 2);
    if (s.headerSize != 12) {
        for (uint32_t v : {s.compression, uint32_t(pixels.size()), 2835u, 2835u, s.colorsUsed, 0u})
            put(info, v, 4);
        const bool fields = s.compression == kBitFields || s.compression == kAlphaBitFields;
        const std::size_t masks = s.headerSize > 40 ? (s.headerSize >= 56 ? 4 : 3)
                                                    : (fields ? (s.compression == kAlphaBitFields ? 4 : 3) : 0);
        for (std::size_t i = 0; i < masks; ++i)
            put(info, s.masks[i], 4);
        info.resize(std::max<std::size_t>(info.size(), s.headerSize + (s.headerSize == 40 ? 4 * masks : 0)), '\0');
    }
    for (uint32_t c : s.palette)
        put(info, c, s.headerSize == 12 ? 3 : 4);
    std::string file = "BM";
    for (uint32_t v : {uint32_t(14 + info.size() + pixels.size()), 0u, uint32_t(14 + info.size())})
        put(file, v, 4);
    return file + info + pixels;
}

} // namespace karwen::test
