#include "codecs.h"
#include "errors.h"

namespace rix {

std::unique_ptr<Image> loadBmp(const std::string&) { throw Error("not implemented"); }

} // namespace rix
