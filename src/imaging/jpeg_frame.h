// The frame header of a JPEG file (its SOFn marker segment), read without
// TurboJPEG. TurboJPEG refuses to describe a file whose chroma sampling it
// has no name for (3 x 1, 1 x 3, ...), although it decodes such files; the
// loader then takes the size and the component count from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace rix {

struct JpegFrame {
    int width = 0;
    int height = 0;
    int components = 0;
};

// The first frame header before the first scan, or nothing when the markers
// up to there are incomplete or hold none. Bytes between markers are skipped
// as decoders do.
[[nodiscard]] std::optional<JpegFrame> findJpegFrame(const uint8_t* data, std::size_t size);

} // namespace rix
