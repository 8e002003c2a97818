// The bytes of a BMP file written field by field, for files the library
// must refuse or that are huge once decoded but small on disk.
#pragma once

#include <cstdint>
#include <string>

namespace karwen::test {

// A BMP with a BITMAPINFOHEADER of these fields, `colours` palette entries
// of zeros, three 16-bit masks when compression is 3 (bit fields), and
// `data` padded with zeros to dataBytes as its pixel data.
inline std::string bmpBytes(uint32_t width, uint32_t height, int bits, uint32_t compression, uint32_t dataBytes,
    uint32_t colours = 0, const std::string& data = {})
{
    const uint32_t masks = compression == 3 ? 12 : 0;
    const uint32_t offset = 14 + 40 + masks + 4 * colours;
    std::string bytes = "BM";
    const auto put = [&bytes](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += char((value >> (8 * i)) & 0xff);
    };
    for (uint32_t v : {offset + dataBytes, 0u, offset, 40u, width, height})
        put(v, 4);
    put(1, 2); // one plane
    put(uint32_t(bits), 2);
    for (uint32_t v : {compression, dataBytes, 2835u, 2835u, colours, 0u})
        put(v, 4);
    if (masks)
        for (uint32_t mask : {0x7c00u, 0x03e0u, 0x001fu})
            put(mask, 4);
    bytes += std::string(4 * colours, '\0');
    bytes += data;
    bytes.resize(offset + dataBytes, '\0');
    return bytes;
}

} // namespace karwen::test
