// The running program's windows and start-up. Constructing it connects the
// shared routines to the windows (GuiHooks); `Main` fills the shared state
// and the area tables with their start values and shows frmMain, whose load
// brings up the parameters dialog and the area panel.
#pragma once

#include "gui_hooks.h"
#include "window_registry.h"

namespace karwen::ui {

class MainWindow;

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
};

} // namespace karwen::ui
