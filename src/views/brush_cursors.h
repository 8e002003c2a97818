// The mouse pointers of the area brush, one per brush size: a circle of the
// brush radius (the square root of its squared radius) around a marked hot
// spot at the centre. Black and white rings keep both visible over any
// picture.
#pragma once

#include <QCursor>
#include <QImage>

namespace karwen::views {

// The pointer picture of brush size `index` (0..3, clamped), ARGB with a
// transparent background; odd-sized, so the hot spot is its centre pixel.
[[nodiscard]] QImage brushCursorImage(int index);
// The pointer itself, its hot spot at the picture's centre.
[[nodiscard]] QCursor brushCursor(int index);

} // namespace karwen::views
