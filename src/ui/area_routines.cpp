#include "area_routines.h"

#include "area_panel.h"
#include "area_tool.h"
#include "dialog_seam.h"
#include "dst_view.h"
#include "mdl_karwen.h"
#include "window_registry.h"

namespace karwen::ui {

namespace {

AreaPanel* panel()
{
    WindowRegistry* windows = WindowRegistry::current();
    return windows ? windows->areaIfLoaded() : nullptr;
}

} // namespace

views::AreaTool* dstAreaTool()
{
    WindowRegistry* windows = WindowRegistry::current();
    views::DstView* dst = windows ? windows->dstIfLoaded() : nullptr;
    return dst ? dynamic_cast<views::AreaTool*>(dst->gridTool().areaTool()) : nullptr;
}

void ResetArea()
{
    ResetAreaCounts();
    if (AreaPanel* area = panel())
        area->showAllClassTexts();
    dst_update();
}

bool mayDiscardArea(QWidget* parent)
{
    if (!AreaChangedSinceKept())
        return true;
    if (!dialogs().question(parent, QStringLiteral("The area measurement has not been saved. Discard it?")))
        return false;
    // Given up: the same dots are not asked about a second time.
    MarkAreaKept();
    return true;
}

void SetAreaCursor()
{
    if (views::AreaTool* tool = dstAreaTool())
        tool->setAreaCursor();
}

void SetBrushCursor()
{
    if (views::AreaTool* tool = dstAreaTool())
        tool->setBrushCursor();
}

void installAreaMeasurement(views::DstView& view, WindowRegistry& windows)
{
    auto tool = std::make_unique<views::AreaTool>(view);
    views::AreaTool& area = *tool;
    tool->setLabelHandler([&windows](const AreaMouseResult& result) {
        if (AreaPanel* p = windows.areaIfLoaded())
            p->applyMouseResult(result);
    });
    view.gridTool().setAreaTool(std::move(tool));
    view.setAreaDotPlacer(&views::AreaTool::placeDots);
    view.setAreaLoadWork(
        [&windows] {
            for (int k = 1; k < kAreaClassCount; ++k)
                ClassCount[static_cast<std::size_t>(k)] = 0;
            if (AreaPanel* p = windows.areaIfLoaded())
                p->colourClassLabels();
        },
        [&area] {
            ResetArea();
            // The view is not registered as loaded until its load ends, so
            // its own tool sets the pointer here.
            area.setAreaCursor();
            area.setBrushCursor();
        });
}

} // namespace karwen::ui
