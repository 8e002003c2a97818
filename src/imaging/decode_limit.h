// How large a photo the loaders decode: a limit on width x height, checked
// from the header before any pixel memory is taken, and the words for a
// photo over it or one whose pixels do not fit in memory. Both messages
// start "too large: W x H pixels", so callers can tell them from damage.
#pragma once

#include "image.h"

#include <cstdint>
#include <memory>

namespace rix {

// For every thread; 0 leaves only the formats' own bounds (the start value).
void setMaxDecodedPixels(uint64_t pixels);

// Throws Error when width x height is over the limit.
void checkDecodedPixels(int64_t width, int64_t height);

// The image a decoder fills; throws Error instead of std::bad_alloc when
// its pixels do not fit in memory. `cleared`: every pixel starts black.
[[nodiscard]] std::unique_ptr<Image> decodedImage(int32_t width, int32_t height, bool cleared);

} // namespace rix
