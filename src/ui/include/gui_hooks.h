// The windows' side of the shared state routines: what close_image,
// reset_src_param and the refresh routines ask of the windows. Requests to a
// view that is not loaded do nothing and do not load it.
#pragma once

#include "window_hooks.h"

namespace karwen::ui {

class WindowRegistry;

class GuiHooks : public WindowHooks {
public:
    explicit GuiHooks(WindowRegistry& windows)
        : windows_(windows)
    {
    }

    void unloadSrcView() override;
    void unloadDstView() override;
    void updateCommandStates() override;
    void refreshParameterFields() override;
    void redrawSrcView() override;
    void redrawDstView() override;
    void resetDstScale() override;
    void placeAreaDots() override;
    void stepBegins(const std::string& name) override;
    void stepEnds() override;
    void forgetSteps() override;

private:
    WindowRegistry& windows_;
};

} // namespace karwen::ui
