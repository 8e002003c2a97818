#include "area_brush.h"

#include "mdl_karwen.h"

namespace karwen {

namespace {

// Ends a hover highlight before the brush acts.
void dropHighlight(AreaMouseResult& result)
{
    if (LastLbl >= 0)
        result.restoredLabel = LastLbl;
    LastLbl = -1;
}

// Moves every dot of class `from` strictly inside the brush to class `to`,
// one count at a time, so that the counts keep their sum.
void brush(int16_t from, int16_t to, double x, double y, AreaMouseResult& result)
{
    result.refreshTexts = true;
    if (CurRgn < 1 || CurRgn >= kAreaClassCount)
        return; // no valid class selected: nothing to paint into or erase
    for (int n = 1; n <= kDotCount; ++n) {
        auto& cls = DotClass[static_cast<std::size_t>(n)];
        if (cls != from || !inBrush(dotDistance2(n, x, y), BrushR2))
            continue;
        --ClassCount[static_cast<std::size_t>(from)];
        ++ClassCount[static_cast<std::size_t>(to)];
        cls = to;
        markAreaDotsSet();
        result.changedDots.push_back(static_cast<int16_t>(n));
    }
}

void hover(double x, double y, AreaMouseResult& result)
{
    bool anyHit = false;
    for (int n = 1; n <= kDotCount; ++n) {
        if (!inHover(dotDistance2(n, x, y), DotHit2))
            continue;
        anyHit = true;
        const int16_t cls = DotClass[static_cast<std::size_t>(n)];
        if (cls == LastLbl)
            continue;
        if (LastLbl >= 0)
            result.restoredLabel = LastLbl;
        LastLbl = cls;
        result.highlightedLabel = cls;
        return;
    }
    // A dot of the highlighted class is still under the pointer: keep it.
    if (anyHit)
        return;
    dropHighlight(result);
    result.refreshTexts = true;
}

} // namespace

double dotDistance2(int n, double x, double y)
{
    const double dx = static_cast<double>(DotX[static_cast<std::size_t>(n)]) - x;
    const double dy = static_cast<double>(DotY[static_cast<std::size_t>(n)]) - y;
    return dx * dx + dy * dy;
}

AreaMouseResult areaMouseMove(int button, double x, double y)
{
    AreaMouseResult result;
    if (!AreaOn)
        return result;
    if (button == kLeftButton) {
        result.action = AreaMouseAction::Paint;
        dropHighlight(result);
        brush(0, CurRgn, x, y, result);
    } else if (button == kRightButton) {
        result.action = AreaMouseAction::Erase;
        dropHighlight(result);
        brush(CurRgn, 0, x, y, result);
    } else {
        result.action = AreaMouseAction::Hover;
        hover(x, y, result);
    }
    return result;
}

} // namespace karwen
