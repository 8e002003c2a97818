// How the Canopy window words its figures: a dash for one that does not
// exist, and a figure that is only a bound as "at least 9.20 (ring 2 has no
// sky; counted as one dot's share)", the rings and the unit taken from the
// bound itself.
#pragma once

#include "floor_bound.h"

#include <QString>

#include <cmath>

namespace karwen::ui {

// What a table cell shows for a figure that does not exist.
inline const QString kNoFigure = QStringLiteral("\u2013");

// A figure with its decimals, or kNoFigure for one that does not exist (NaN).
[[nodiscard]] inline QString figureText(double value, int decimals)
{
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : kNoFigure;
}

// "at least 9.20"
[[nodiscard]] QString boundValue(const canopy::FloorBound& bound, int decimals);
// "ring 2 has no sky", "rings 2 and 3 have no sky", "ring 2, sector 3 has
// no sky", "5 sectors have no sky"; rings and sectors counted from 1.
[[nodiscard]] QString cellsWithoutSky(const canopy::FloorBound& bound);
// The whole: value, then the cells and how they were counted; unit is
// "dot" or "pixel".
[[nodiscard]] QString boundText(const canopy::FloorBound& bound, int decimals, const QString& unit);

} // namespace karwen::ui
