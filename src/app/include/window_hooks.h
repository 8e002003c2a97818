// What the shared state routines ask of the windows. The GUI installs its
// own implementation; without one (tests, runs without windows) every
// request does nothing, as a call on a window that is not loaded does.
#pragma once

#include <string>

namespace karwen {

class WindowHooks {
public:
    virtual ~WindowHooks() = default;

    // Unloading an image view runs its unload handler, which calls
    // close_image again; a view that is not loaded, or is already being
    // unloaded, must be left alone so that the nesting ends.
    virtual void unloadSrcView() { }
    virtual void unloadDstView() { }
    // The commands that need an image and the two tool windows follow
    // whether an image is open.
    virtual void updateCommandStates() { }
    // The parameters dialog reloads its fields from the globals.
    virtual void refreshParameterFields() { }
    // Refresh requests; a view that is not loaded ignores them.
    virtual void redrawSrcView() { }
    virtual void redrawDstView() { }
    // The destination view back to scale 1.0.
    virtual void resetDstScale() { }
    // Sample-dot positions for the current destination geometry.
    virtual void placeAreaDots() { }
    // A change the user may take back as a whole begins and ends
    // (UndoableStep); one begun inside another is part of that one.
    virtual void stepBegins(const std::string&) { }
    virtual void stepEnds() { }
    // The photo the steps were taken on is closed.
    virtual void forgetSteps() { }
};

// nullptr restores the do-nothing hooks. The caller keeps ownership.
void setWindowHooks(WindowHooks* hooks);
WindowHooks& windowHooks();

} // namespace karwen
