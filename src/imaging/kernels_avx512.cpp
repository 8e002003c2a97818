// The row kernels built for one instruction set (flags set in CMakeLists.txt).
#include "deform_kernels_impl.h"

namespace rix {

const DeformKernels& avx512Kernels() { return kKernels; }

} // namespace rix
