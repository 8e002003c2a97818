#include "operations.h"
#include "errors.h"

namespace rix {

RixRect findBound(const Image& image) { return {0, 0, image.width(), image.height()}; }

} // namespace rix
