#include "jpeg_frame.h"

namespace rix {

namespace {

constexpr uint8_t kStartOfImage = 0xd8;
constexpr uint8_t kStartOfScan = 0xda;
constexpr uint8_t kEndOfImage = 0xd9;

// SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range.
bool isStartOfFrame(uint8_t marker)
{
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

// Markers that stand alone, without a length: TEM and RST0 to RST7.
bool hasNoSegment(uint8_t marker) { return marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7); }

unsigned readU16(const uint8_t* p) { return unsigned(p[0]) << 8 | p[1]; }

} // namespace

std::optional<JpegFrame> findJpegFrame(const uint8_t* data, std::size_t size)
{
    if (size < 2 || data[0] != 0xff || data[1] != kStartOfImage)
        return std::nullopt;
    std::size_t i = 2;
    while (true) {
        while (i < size && data[i] != 0xff)
            ++i;
        while (i < size && data[i] == 0xff) // fill bytes
            ++i;
        if (i >= size)
            return std::nullopt;
        const uint8_t marker = data[i++];
        if (marker == 0x00) // a stuffed 0xff in stray bytes, not a marker
            continue;
        if (marker == kStartOfScan || marker == kEndOfImage || marker == kStartOfImage)
            return std::nullopt;
        if (hasNoSegment(marker))
            continue;
        if (size - i < 2)
            return std::nullopt;
        const std::size_t length = readU16(data + i);
        if (length < 2 || size - i < length)
            return std::nullopt;
        if (isStartOfFrame(marker)) {
            // Precision, height, width, component count.
            if (length < 8)
                return std::nullopt;
            const uint8_t* f = data + i + 2;
            return JpegFrame{int(readU16(f + 3)), int(readU16(f + 1)), int(f[5])};
        }
        i += length;
    }
}

} // namespace rix
