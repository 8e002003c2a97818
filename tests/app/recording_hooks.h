// Window hooks for the core tests: they record every request in order and,
// like the real image views, call close_image from an unload handler.
#pragma once

#include "mdl_karwen.h"
#include "photo_source.h"
#include "window_hooks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace karwen::test {

class RecordingHooks : public WindowHooks {
public:
    std::vector<std::string> events;

    // Image views as the windows behave: unloading a loaded view runs its
    // unload handler, which closes the image; a view that is not loaded or
    // already unloading is left alone.
    enum class View { Unloaded, Loaded, Unloading };
    View src = View::Unloaded;
    View dst = View::Unloaded;

    void unloadSrcView() override { unload(src, "unloadSrc"); }
    void unloadDstView() override { unload(dst, "unloadDst"); }
    void updateCommandStates() override { record("commandStates"); }
    void refreshParameterFields() override { events.push_back("refreshFields"); }
    void redrawSrcView() override { events.push_back("redrawSrc"); }
    void redrawDstView() override { events.push_back("redrawDst"); }
    void resetDstScale() override { events.push_back("resetDstScale"); }
    void placeAreaDots() override { events.push_back("placeDots"); }

private:
    // The handles at the moment of the request tell which images are gone.
    void record(const std::string& what)
    {
        events.push_back(what + " " + std::to_string(hSrc) + "," + std::to_string(hDst));
    }

    void unload(View& view, const std::string& what)
    {
        record(what);
        if (view != View::Loaded)
            return;
        view = View::Unloading;
        close_image();
        view = View::Unloaded;
    }
};

// Start-up state with recording hooks installed; images are cleaned up.
class AppState : public ::testing::Test {
protected:
    RecordingHooks hooks;

    void SetUp() override
    {
        initGlobals();
        setWindowHooks(&hooks);
    }
    void TearDown() override
    {
        setWindowHooks(nullptr);
        for (int32_t h : {hSrc, hDst})
            if (isImage(h))
                (void)RixDestroy(h);
        initGlobals();
    }
};

} // namespace karwen::test
