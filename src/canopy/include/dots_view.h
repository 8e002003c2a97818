// The view the command line reads the 1000 sample dots from: an equisolid
// view of kDotsViewSide x kDotsViewSide pixels whose circle fills it, made
// through the photo's own circle and resampled at the dots alone. Its
// equal-area dot rings fall on equal solid angles, so every zenith ring of
// the settings holds dots, which an orthographic view does not give near the
// zenith. The Canopy window falls back to it when its destination gives no
// dot figures.
#pragma once

#include "projection_model.h"
#include "rix.h"

namespace karwen::canopy {

inline constexpr int kDotsViewSide = 1000;
inline constexpr double kDotsViewRadius = kDotsViewSide / 2.0;
inline constexpr ProjectionRecord kDotsViewRecord{
    kDotsViewRadius, kDotsViewRadius, kDotsViewRadius, 0, 0, 0, kEquisolidangle};

} // namespace karwen::canopy
