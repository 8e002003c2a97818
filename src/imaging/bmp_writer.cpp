#include "codecs.h"
#include "errors.h"

namespace rix {

void saveBmp(const Image&, const std::string&) { throw Error("not implemented"); }

} // namespace rix
