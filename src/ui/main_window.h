// frmMain: the program's frame, an MDI main window whose menu bar carries
// every command. The parameters dialog, the area panel and the two image
// views are its child windows.
#pragma once

#include "common_dialog.h"

#include <QMainWindow>

#include <array>
#include <functional>

class QAction;
class QMdiArea;
class QMenu;

namespace karwen::ui {

class WindowRegistry;
class ImageFileCommands;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(WindowRegistry& windows);
    ~MainWindow() override;

    void MDIForm_Load();

    [[nodiscard]] QMdiArea* mdiArea() const { return mdiArea_; }
    [[nodiscard]] CommonDialog& cdl() { return cdl_; }
    // A menu item by its name ("mnuFileOpen", "mag0" ... "mag7", "mnufit").
    [[nodiscard]] QAction* item(const QString& name) const;

    // The four File commands that need an image, in the order the caller's
    // state change names.
    void enableImageCommands();
    void disableImageCommands();

    // Later windows plug in here: the modal batch dialog and about box, and
    // the area data file commands.
    void setBatchCommand(std::function<void()> run) { batch_ = std::move(run); }
    void setAboutCommand(std::function<void()> run) { about_ = std::move(run); }
    void setAreaFileCommands(std::function<void()> load, std::function<void()> save);

    // Zoom and fit on the active image view (nothing for other windows).
    void mag_Click(int index);
    void mnufit_Click();

    static constexpr std::array<float, 8> MagTbl{0.25f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 4.0f, 8.0f};

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption);
    [[nodiscard]] QWidget* activeChild() const;

    WindowRegistry& windows_;
    QMdiArea* mdiArea_;
    CommonDialog cdl_;
    std::unique_ptr<ImageFileCommands> files_;
    std::function<void()> batch_;
    std::function<void()> about_;
    std::function<void()> loadArea_;
    std::function<void()> saveArea_;
};

} // namespace karwen::ui
