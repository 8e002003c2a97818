// The shared routines of area measurement that reach into the windows:
// resetting the measurement, the destination picture's pointer, and what a
// freshly created destination view needs to take part in the measurement.
// Windows that are not loaded are left alone.
#pragma once

#include "dot_figures.h"

#include <cstdint>

class QWidget;

namespace karwen::views {
class DstView;
} // namespace karwen::views

namespace karwen::ui {

class WindowRegistry;

// Every dot back to class 0, all 16 labels show their texts, no label is
// highlighted (their colours stay), and the destination view is redrawn.
void ResetArea(WindowRegistry& windows);
// True when nothing painted would be lost, or the user agreed to lose it:
// asked only when the measurement changed since it was last kept.
[[nodiscard]] bool mayDiscardArea(QWidget* parent);

// The destination picture's pointer: the brush while AreaOn, else default.
void SetAreaCursor(WindowRegistry& windows);
// The brush pointer follows the selected brush size.
void SetBrushCursor(WindowRegistry& windows);

// Gives a new destination view's area tool its label handler (the area
// panel's labels) and the view its area load work.
void installAreaMeasurement(views::DstView& view, WindowRegistry& windows);

// The area measurement takes a reading of the dots: dots read as gap go to
// gapClass (1..15), every other dot to class 0, the class counts follow and
// no label is highlighted. The result counts as kept, since the same reading
// gives it again; painting after it is what the program asks about before
// throwing it away. False, changing nothing, for a class outside 1..15.
[[nodiscard]] bool assignDotClasses(const canopy::DotGaps& gaps, int16_t gapClass);

} // namespace karwen::ui
