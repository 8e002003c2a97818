#include "area_routines.h"

#include "area_file.h"
#include "area_panel.h"
#include "area_tool.h"
#include "canopy_window.h"
#include "dialog_seam.h"
#include "dst_view.h"
#include "mdl_karwen.h"
#include "window_registry.h"

namespace karwen::ui {

bool mayDiscardArea(QWidget* parent)
{
    if (!areaChangedSinceKept())
        return true;
    if (!dialogs().question(parent, QStringLiteral("The area measurement has not been saved. Discard it?")))
        return false;
    // Given up: the same dots are not asked about a second time.
    markAreaKept();
    return true;
}

void ResetArea(WindowRegistry& windows)
{
    resetAreaCounts();
    windows.showAreaClassTexts();
    dst_update();
}

bool assignDotClasses(const canopy::DotGaps& gaps, int16_t gapClass)
{
    if (gapClass < 1 || gapClass >= kAreaClassCount)
        return false;
    AreaData classes{AreaFileTag, kDotCount, {}};
    for (std::size_t n = 1; n <= kDotCount; ++n)
        classes.dotClass[n] = gaps[n] ? gapClass : int16_t{0};
    applyAreaData(classes);
    markAreaKept();
    return true;
}

void SetAreaCursor(WindowRegistry& windows)
{
    if (views::DstView* dst = windows.dstIfLoaded())
        dst->areaTool().setAreaCursor();
}

void SetBrushCursor(WindowRegistry& windows)
{
    if (views::DstView* dst = windows.dstIfLoaded())
        dst->areaTool().setBrushCursor();
}

void installAreaMeasurement(views::DstView& view, WindowRegistry& windows)
{
    views::AreaTool& area = view.areaTool();
    area.setLabelHandler([&windows](const AreaMouseResult& result) {
        if (AreaPanel* p = windows.areaIfLoaded())
            p->applyMouseResult(result);
        // The dot figures follow the brush at once.
        if (!result.changedDots.empty())
            if (CanopyWindow* canopy = windows.canopyIfLoaded())
                canopy->refresh();
    });
    view.setAreaLoadWork(
        [&windows] {
            for (int k = 1; k < kAreaClassCount; ++k)
                ClassCount[static_cast<std::size_t>(k)] = 0;
            if (AreaPanel* p = windows.areaIfLoaded())
                p->colourClassLabels();
        },
        [&area, &windows] {
            ResetArea(windows);
            area.setAreaCursor();
            area.setBrushCursor();
        });
}

} // namespace karwen::ui
