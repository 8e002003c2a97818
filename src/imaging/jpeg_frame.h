// The header of a JPEG file, its marker segments up to the first scan, read
// without TurboJPEG. TurboJPEG refuses to describe a file whose chroma
// sampling it has no name for (3 x 1, 1 x 3, ...), although it decodes such
// files; the loader then takes the size and the component count from here.
// And TurboJPEG reports only the first warning of a decode, so a harmless
// defect in the header would hide damage further on: the loader decodes a
// copy with such defects put right to see past them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

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

// True when the marker segments up to the first scan header are all there.
[[nodiscard]] bool jpegHeaderIsWhole(const uint8_t* data, std::size_t size);

// A copy of the file whose header has the defects that decoders warn about
// and then pass over put right, so that no pixel changes: stray bytes between
// segments are dropped, a JFIF major version other than 1 becomes 1, an Adobe
// colour transform code with no meaning becomes the one decoders assume, and
// the first scan header of a sequential frame gets the sequential scan
// parameters. Everything from the first scan's data on is copied unchanged.
// Nothing when the header does not reach a scan.
[[nodiscard]] std::optional<std::vector<uint8_t>> withHeaderRepaired(const uint8_t* data, std::size_t size);

} // namespace rix
