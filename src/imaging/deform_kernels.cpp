#include "deform_kernels.h"

#include <atomic>

namespace rix {

namespace {
std::atomic<int> chosenIsa{-1};
}

bool kernelIsaSupported(KernelIsa isa)
{
    switch (isa) {
    case KernelIsa::Reference:
        return true;
    case KernelIsa::Avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case KernelIsa::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
            && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq")
            && kernelIsaSupported(KernelIsa::Avx2);
    }
    return false;
}

KernelIsa bestKernelIsa()
{
    static const KernelIsa best = kernelIsaSupported(KernelIsa::Avx512) ? KernelIsa::Avx512
        : kernelIsaSupported(KernelIsa::Avx2)                           ? KernelIsa::Avx2
                                                                        : KernelIsa::Reference;
    return best;
}

KernelIsa activeKernelIsa()
{
    const int chosen = chosenIsa.load(std::memory_order_relaxed);
    return chosen < 0 ? bestKernelIsa() : KernelIsa(chosen);
}

void setActiveKernelIsa(KernelIsa isa)
{
    chosenIsa.store(int(kernelIsaSupported(isa) ? isa : KernelIsa::Reference), std::memory_order_relaxed);
}

const DeformKernels& deformKernels(KernelIsa isa)
{
    switch (isa) {
    case KernelIsa::Avx512:
        return avx512Kernels();
    case KernelIsa::Avx2:
        return avx2Kernels();
    case KernelIsa::Reference:
        break;
    }
    return referenceKernels();
}

} // namespace rix
