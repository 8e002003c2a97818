#include "operations.h"
#include "errors.h"

namespace rix {

void stretchBlt(const Image&, int32_t, int32_t, int32_t, int32_t, RixCanvas&, int32_t, int32_t, int32_t, int32_t) { throw Error("not implemented"); }

} // namespace rix
