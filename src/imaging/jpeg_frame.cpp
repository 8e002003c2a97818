#include "jpeg_frame.h"

#include <cstring>

namespace rix {

namespace {

constexpr uint8_t kStartOfImage = 0xd8;
constexpr uint8_t kStartOfScan = 0xda;
constexpr uint8_t kEndOfImage = 0xd9;
constexpr uint8_t kApp0 = 0xe0;
constexpr uint8_t kApp14 = 0xee;

// SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range.
bool isStartOfFrame(uint8_t marker)
{
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

// Baseline, extended and arithmetic sequential frames: one pass per scan.
bool isSequentialFrame(uint8_t marker) { return marker == 0xc0 || marker == 0xc1 || marker == 0xc9; }

// Markers that stand alone, without a length: TEM and RST0 to RST7.
bool hasNoSegment(uint8_t marker) { return marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7); }

unsigned readU16(const uint8_t* p) { return unsigned(p[0]) << 8 | p[1]; }

// One marker and its segment: body points at the two length bytes, length
// counts them too (0 for a marker that stands alone).
struct Segment {
    uint8_t marker = 0;
    const uint8_t* body = nullptr;
    std::size_t length = 0;
};

// Visits the segments from after SOI up to and including the first SOS,
// skipping stray and fill bytes between them as decoders do. visit returns
// false to stop early. True when the first SOS was visited.
template <class Visit> bool walkHeader(const uint8_t* data, std::size_t size, Visit&& visit)
{
    if (size < 2 || data[0] != 0xff || data[1] != kStartOfImage)
        return false;
    std::size_t i = 2;
    while (true) {
        while (i < size && data[i] != 0xff)
            ++i;
        while (i < size && data[i] == 0xff) // fill bytes
            ++i;
        if (i >= size)
            return false;
        const uint8_t marker = data[i++];
        if (marker == 0x00) // a stuffed 0xff in stray bytes, not a marker
            continue;
        if (marker == kEndOfImage || marker == kStartOfImage)
            return false;
        if (hasNoSegment(marker)) {
            if (!visit(Segment{marker, data + i, 0}))
                return false;
            continue;
        }
        if (size - i < 2)
            return false;
        const std::size_t length = readU16(data + i);
        if (length < 2 || size - i < length)
            return false;
        if (!visit(Segment{marker, data + i, length}))
            return false;
        if (marker == kStartOfScan)
            return true;
        i += length;
    }
}

bool startsWith(const Segment& s, const char* tag, std::size_t dataBytes)
{
    const std::size_t tagBytes = std::strlen(tag) + 1; // with its closing zero
    return s.length >= 2 + dataBytes && std::memcmp(s.body + 2, tag, tagBytes) == 0;
}

} // namespace

std::optional<JpegFrame> findJpegFrame(const uint8_t* data, std::size_t size)
{
    std::optional<JpegFrame> frame;
    walkHeader(data, size, [&](const Segment& s) {
        if (s.marker == kStartOfScan)
            return false;
        if (!isStartOfFrame(s.marker))
            return true;
        // Precision, height, width, component count.
        const uint8_t* f = s.body + 2;
        if (s.length >= 8)
            frame = JpegFrame{int(readU16(f + 3)), int(readU16(f + 1)), int(f[5])};
        return false;
    });
    return frame;
}

bool jpegHeaderIsWhole(const uint8_t* data, std::size_t size)
{
    return walkHeader(data, size, [](const Segment&) { return true; });
}

std::optional<std::vector<uint8_t>> withHeaderRepaired(const uint8_t* data, std::size_t size)
{
    std::vector<uint8_t> out;
    out.reserve(size);
    out.insert(out.end(), data, data + 2);
    uint8_t frameMarker = 0;
    int components = 0;
    std::size_t adobeTransformAt = 0; // in out; 0 for none
    const bool reachedScan = walkHeader(data, size, [&](const Segment& s) {
        const std::size_t at = out.size() + 2; // where the body goes
        out.insert(out.end(), {0xff, s.marker});
        out.insert(out.end(), s.body, s.body + s.length);
        if (isStartOfFrame(s.marker) && s.length >= 8) {
            frameMarker = s.marker;
            components = s.body[7];
        }
        // Decoders read a JFIF segment of at least 14 data bytes and an
        // Adobe segment of at least 12.
        if (s.marker == kApp0 && startsWith(s, "JFIF", 14))
            out[at + 7] = 1; // major version
        if (s.marker == kApp14 && startsWith(s, "Adobe", 12))
            adobeTransformAt = at + 2 + 11;
        if (s.marker == kStartOfScan) {
            const std::size_t count = s.length >= 3 ? s.body[2] : 0;
            const std::size_t params = at + 3 + 2 * count; // Ss, Se, Ah/Al
            if (isSequentialFrame(frameMarker) && s.length >= 6 + 2 * count) {
                out[params] = 0;
                out[params + 1] = 63;
                out[params + 2] = 0;
            }
            out.insert(out.end(), s.body + s.length, data + size);
        }
        return true;
    });
    if (!reachedScan)
        return std::nullopt;
    // Codes with no meaning are taken as YCbCr for three components and as
    // YCCK for four.
    if (adobeTransformAt != 0) {
        uint8_t& transform = out[adobeTransformAt];
        if (components == 3 && transform != 0 && transform != 1)
            transform = 1;
        if (components == 4 && transform != 0 && transform != 2)
            transform = 2;
    }
    return out;
}

} // namespace rix
