// The loaders on bytes already in memory; the path versions in codecs.h read
// the file and call these. They throw rix::Error for anything they cannot read
// and never allocate more than the data can plausibly fill.
#pragma once

#include "image.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace rix {

[[nodiscard]] std::unique_ptr<Image> loadBmpFromMemory(const uint8_t* data, std::size_t size);
[[nodiscard]] std::unique_ptr<Image> loadJpegFromMemory(const uint8_t* data, std::size_t size);

} // namespace rix
