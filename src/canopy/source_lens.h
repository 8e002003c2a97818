// The real lens a source photo may be seen through, passed beside its
// record: nullptr for the record's ideal projection (0..3), the lens for the
// code RixLensSource. The measurement refuses every other pairing with the
// reason sourceLensProblem gives.
#pragma once

#include "rix.h"

#include <optional>
#include <string>

namespace karwen::canopy {

// What a row or a cache keeps of the lens: a copy, none for nullptr.
[[nodiscard]] inline std::optional<RixLens> keptLens(const RixLens* lens)
{
    return lens != nullptr ? std::optional<RixLens>(*lens) : std::nullopt;
}

// The pointer the entry points take for a kept lens.
[[nodiscard]] inline const RixLens* lensPointer(const std::optional<RixLens>& lens) { return lens ? &*lens : nullptr; }

// Figure by figure, as sameRecord compares records: a figure that is NaN
// equals nothing. No lens equals no lens.
[[nodiscard]] bool sameLens(const std::optional<RixLens>& a, const std::optional<RixLens>& b);

// Why src's projection and lens cannot be measured together, in the user's
// words; "" when they can (a record that is unusable for other reasons is
// not looked at here).
[[nodiscard]] std::string sourceLensProblem(const ProjectionRecord& src, const RixLens* lens);

} // namespace karwen::canopy
