// Layout of BMP files: the header sizes and compression codes, and the
// little-endian field access that the BMP reader and writer share.
#pragma once

#include <array>
#include <cstdint>

namespace rix::bmp {

inline constexpr uint32_t kFileHeaderSize = 14;
inline constexpr uint32_t kCoreHeaderSize = 12; // BITMAPCOREHEADER
inline constexpr uint32_t kInfoHeaderSize = 40; // BITMAPINFOHEADER
inline constexpr uint32_t kV4HeaderSize = 108;
inline constexpr uint32_t kV5HeaderSize = 124;

enum Compression : uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitFields = 6,
};

// Colour table as 0xffRRGGBB, always 256 entries: entries the file does not
// hold are black, so any pixel index is safe to look up.
using Palette = std::array<uint32_t, 256>;

inline uint16_t readU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t readU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t readI32(const uint8_t* p) { return static_cast<int32_t>(readU32(p)); }

inline void writeU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void writeU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

} // namespace rix::bmp
