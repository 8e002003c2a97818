// The conversion parameters as one value, for taking a change back: both
// records, the view reference point, the destination size, the
// interpolation, the lens the photo is read through and what the last
// automatic reset of the source side found.
#pragma once

#include "mdl_karwen.h"

#include <cstdint>
#include <optional>

namespace karwen {

struct ParameterState {
    ProjectionRecord src{};
    ProjectionRecord dst{};
    float refX = 0, refY = 0;
    int32_t dstW = 0, dstH = 0;
    int32_t interp = 0;
    std::optional<NamedLens> srcLens;
    AutomaticCircle srcAuto{};
    RixRect srcBound{};
};

// The globals above as they are now.
[[nodiscard]] ParameterState currentParameters();
// The globals above set to a kept state; nothing is converted or redrawn.
void restoreParameters(const ParameterState& state);

// Bit for bit: -0.0 is not 0.0 and a NaN equals itself, so that a state put
// back is exactly the one kept, and a step that stored the very values it
// found changed nothing.
[[nodiscard]] bool operator==(const ParameterState& a, const ParameterState& b);

} // namespace karwen
