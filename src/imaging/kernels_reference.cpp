// The row kernels built for one instruction set (flags set in CMakeLists.txt).
#include "deform_kernels_impl.h"

namespace rix {

const DeformKernels& referenceKernels() { return kKernels; }

} // namespace rix
