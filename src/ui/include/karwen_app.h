// The running program's windows and start-up. Constructing it connects the
// shared routines to the windows (GuiHooks); `Main` fills the shared state
// and the area tables with their start values and shows frmMain, whose load
// brings up the parameters dialog and the area panel, and then the settings
// kept from the last run (see stored_settings.h) replace the start values.
#pragma once

#include "gui_hooks.h"
#include "window_registry.h"

#include <memory>

namespace karwen::ui {

class MainWindow;
class StoredSettings;

class KarwenApp {
public:
    KarwenApp();
    ~KarwenApp();
    KarwenApp(const KarwenApp&) = delete;
    KarwenApp& operator=(const KarwenApp&) = delete;

    void Main();

    [[nodiscard]] WindowRegistry& windows() { return windows_; }
    [[nodiscard]] MainWindow& frmMain() { return windows_.frmMain(); }

private:
    WindowRegistry windows_;
    GuiHooks hooks_;
    std::unique_ptr<StoredSettings> stored_; // what is kept between runs
};

} // namespace karwen::ui
