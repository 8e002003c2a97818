// The table of images that the C interface names by handle. Handles start
// at 1 and are not reused while the process runs, so a stale handle is
// refused rather than naming some other image.
#pragma once

#include "image.h"

#include <cstdint>
#include <memory>

namespace rix {

// Takes ownership and returns the new image's handle (1 or more).
int32_t adoptImage(std::unique_ptr<Image> image);
// The image named by handle, or nullptr for 0, -1 and unknown handles.
Image* findImage(int32_t handle);
// Frees the image; false when the handle names none.
bool destroyImage(int32_t handle);

} // namespace rix
