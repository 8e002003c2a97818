#include "operations.h"
#include "errors.h"

namespace rix {

void deform(const Image&, Image&, const ProjectionRecord&, const ProjectionRecord&, int) { throw Error("not implemented"); }

} // namespace rix
