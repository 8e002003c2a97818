#include "canopy_settings.h"

namespace karwen::canopy {

namespace {

template <typename Choice, std::size_t N> constexpr bool inEnumOrder(const ChoiceName<Choice> (&names)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        if (std::size_t(names[i].choice) != i)
            return false;
    return true;
}
static_assert(inEnumOrder(kChannelNames) && inEnumOrder(kMethodNames), "keyOf indexes the tables by the enumeration");

} // namespace

bool isValid(const CanopySettings& s)
{
    // Written so that a NaN fails every comparison.
    return s.rings >= 1 && s.rings <= kMaxRings && s.sectors >= 1 && s.sectors <= kMaxSectors && s.maxZenithDeg > 0.0
        && s.maxZenithDeg <= kZenithLimitDeg && s.gamma >= kMinGamma && s.gamma <= kMaxGamma && s.fixedThreshold >= 0
        && s.fixedThreshold <= kMaxFixedThreshold;
}

} // namespace karwen::canopy
