#include "gui_hooks.h"

#include "area_panel.h"
#include "canopy_window.h"
#include "dst_view.h"
#include "format_window.h"
#include "main_window.h"
#include "src_view.h"
#include "undo_history.h"
#include "window_registry.h"

namespace karwen::ui {

void GuiHooks::unloadSrcView() { windows_.unloadSrc(); }

void GuiHooks::unloadDstView() { windows_.unloadDst(); }

void GuiHooks::updateCommandStates()
{
    // While the frame closes, nothing is loaded again just to be disabled.
    if (MainWindow* main = windows_.mainIfLoaded())
        main->updateCommandStates();
}

void GuiHooks::refreshParameterFields()
{
    if (MainWindow* main = windows_.mainIfLoaded()) {
        windows_.frmFormat().set_param();
        main->showCircleState();
    }
}

void GuiHooks::redrawSrcView()
{
    if (views::SrcView* src = windows_.srcIfLoaded())
        src->pct_update();
    // The circle may have been fitted by hand meanwhile.
    if (MainWindow* main = windows_.mainIfLoaded())
        main->showCircleState();
}

void GuiHooks::redrawDstView()
{
    if (views::DstView* dst = windows_.dstIfLoaded())
        dst->pct_update();
    // Whatever the destination shows anew may change the canopy figures.
    if (CanopyWindow* canopy = windows_.canopyIfLoaded())
        canopy->refresh();
}

void GuiHooks::resetDstScale()
{
    if (views::DstView* dst = windows_.dstIfLoaded())
        dst->set_sc(1.0f);
}

void GuiHooks::placeAreaDots()
{
    if (views::DstView* dst = windows_.dstIfLoaded())
        dst->set_AreaParamXYD();
}

// While the frame closes, no step is kept or taken back.
void GuiHooks::stepBegins(const std::string& name)
{
    if (MainWindow* main = windows_.mainIfLoaded())
        main->history().begin(QString::fromStdString(name));
}

void GuiHooks::stepEnds()
{
    if (MainWindow* main = windows_.mainIfLoaded())
        main->history().end();
}

void GuiHooks::forgetSteps()
{
    if (MainWindow* main = windows_.mainIfLoaded())
        main->history().forget();
}

} // namespace karwen::ui
