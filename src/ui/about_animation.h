// The about box's title animation, drawn in code: a fisheye sky disc whose
// grid of elevation rings and azimuth lines turns a little each frame while
// a light sector sweeps once round the horizon. Frame 8 would equal frame 0,
// so the eight frames loop without a jump.
#pragma once

#include <QPixmap>

namespace karwen::ui {

inline constexpr int kAboutFrames = 8;

// Frame `index` (0 to 7) as a square picture of `side` pixels.
[[nodiscard]] QPixmap aboutFrame(int index, int side);

} // namespace karwen::ui
