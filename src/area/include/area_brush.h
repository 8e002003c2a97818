// The mouse on the destination view while area measurement is on: the left
// button alone paints unassigned dots into the selected class, the right
// button alone gives dots of the selected class back to class 0, anything
// else hovers and highlights the class label of the dot under the pointer.
//
// The functions change the model only and say what the window has to show;
// the view draws the changed dots and the panel updates its labels.
#pragma once

#include "area_model.h"

#include <vector>

namespace karwen {

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

enum class AreaMouseAction { None, Paint, Erase, Hover };

// What a mouse event asks of the windows, to be applied in this order:
// 1. restoredLabel >= 0: that class label goes back to its normal colours
//    (its ClassColor as text colour);
// 2. highlightedLabel >= 0: that class label shows its ClassColor as
//    background instead (text and background colours swapped);
// 3. refreshTexts: labels 0 and CurRgn, in that order, show ClassPercentText
//    of their counts;
// changedDots (any time): each is drawn at once in dotColor(n), a filled
// circle of radius DotSize (a single pixel in dot style 0).
struct AreaMouseResult {
    AreaMouseAction action = AreaMouseAction::None; // None while AreaOn is false
    std::vector<int16_t> changedDots;
    int16_t restoredLabel = -1;
    int16_t highlightedLabel = -1;
    bool refreshTexts = false;
};

// Squared distance of dot n (1..1000) from the view point (x, y), in doubles.
[[nodiscard]] double dotDistance2(int n, double x, double y);
// The brush takes a dot strictly inside its radius; the hover radius
// includes its boundary.
[[nodiscard]] constexpr bool inBrush(double d2, int32_t brushR2) { return d2 < brushR2; }
[[nodiscard]] constexpr bool inHover(double d2, int32_t hit2) { return d2 <= hit2; }

// A mouse move over the destination picture: `button` is the set of pressed
// buttons (1 left, 2 right, 4 middle), (x, y) the pointer in view pixels.
// Does nothing while AreaOn is false. A mouse press calls the same function,
// so that a click acts without a move.
[[nodiscard]] AreaMouseResult areaMouseMove(int button, double x, double y);

} // namespace karwen
