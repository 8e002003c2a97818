// "Load Area Data(&L)..." and "Save Area Data(&A)...": the measurement
// between area data files and the dot classes, through the main window's
// common file dialog.
#pragma once

class QString;

namespace karwen::ui {

class MainWindow;
class WindowRegistry;

class AreaFileCommands {
public:
    AreaFileCommands(WindowRegistry& windows, MainWindow& main);

    void mnuFileLoadArea_Click();
    void mnuFileSaveArea_Click();

private:
    void error(const char* text);

    WindowRegistry& windows_;
    MainWindow& main_;
};

} // namespace karwen::ui
