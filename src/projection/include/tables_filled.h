// Whether start-up has filled the coefficient tables yet.
#pragma once

#include "projection_model.h"

namespace karwen {

// initCoefTables fills every table at once, and K0 of each fisheye row is
// 1 (the tables start as zeros), so one entry tells for all.
[[nodiscard]] inline bool coefTablesFilled()
{
    return CoefA[0][kOrthographic] == 1.0f && CoefB[0][kOrthographic] == 1.0f;
}

} // namespace karwen
