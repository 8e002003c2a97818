// frmMain: the program's frame, an MDI main window whose menu bar carries
// every command. The parameters dialog, the area panel and the two image
// views are its child windows; the batch dialog and the about box are made
// afresh, modal, for each showing.
#pragma once

#include "common_dialog.h"
#include "view_geometry.h"

#include <QMainWindow>
#include <QPointF>

#include <array>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace karwen::views {
class ImageView;
} // namespace karwen::views

namespace karwen::ui {

class WindowRegistry;
class ImageFileCommands;
class RecentFiles;
class AreaFileCommands;
class UndoHistory;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(WindowRegistry& windows);
    ~MainWindow() override;

    void MDIForm_Load();

    [[nodiscard]] QMdiArea* mdiArea() const { return mdiArea_; }
    // Adds a child window to the frame's area. Its own menu gives up the
    // frame's Ctrl+W, which then closes the image whichever child is active.
    QMdiSubWindow* addChild(QWidget* widget);
    [[nodiscard]] CommonDialog& cdl() { return cdl_; }
    // The steps "Undo(&U)" and "Redo(&R)" take back and do again.
    [[nodiscard]] UndoHistory& history() const { return *history_; }
    // A menu item by its object name ("mnuFileOpen", "mag0" ... "mag7",
    // "mnufit"), for tests and scripts; the program uses the members.
    [[nodiscard]] QAction* item(const QString& name) const;

    // Opens a photo as File > Open opens the chosen file (a photo named on
    // the command line, dropped on the frame or chosen from the recent
    // files); true when it is open.
    bool openPhoto(const QString& path);
    // A photo was opened: it goes to the top of the recent files.
    void photoOpened(const QString& path);

    // Every enabled state from the program state: the four File commands
    // that need an image and the tool windows follow whether an image is
    // open; everything else stays usable.
    void updateCommandStates();

    // The status bar follows the mouse over an image view: what a handle
    // under it does, the pixel, its colour and where it looks.
    void showPointer(const views::ImageView& view, QPointF imagePoint, QPointF picturePosition);
    void clearPointer();
    // The status bar's lasting note: the photo's image circle was not found,
    // so the source circle is a default one.
    void showCircleState();
    [[nodiscard]] QString circleState() const;

    // Zoom and fit on the active image view (nothing for other windows);
    // fit chooses the zoom at which the whole image fits the view's window.
    void mag_Click(int index);
    void mnufit_Click();

    static constexpr std::array<float, 8> MagTbl = views::kZoomSteps;

signals:
    // "Reset settings" was confirmed.
    void resetSettingsAsked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createFileMenu();
    void createEditMenu();
    void createViewMenus();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption);
    [[nodiscard]] QWidget* activeChild() const;
    void createWindowMenu();
    void createZoomKeys();
    // One step of MagTbl up (+1) or down (-1) from the active view's zoom.
    void zoomStep(int direction);
    void mnuFileBatch_Click();
    void mnuHelpAbout_Click();
    void addResetSettingsItem(QMenu* help);
    void mnuHelpResetSettings_Click();

    WindowRegistry& windows_;
    QMdiArea* mdiArea_;
    CommonDialog cdl_;
    std::unique_ptr<ImageFileCommands> files_;
    std::unique_ptr<AreaFileCommands> areaFiles_;
    RecentFiles* recent_ = nullptr;
    UndoHistory* history_ = nullptr;

    QAction* mnuFileOpen_ = nullptr;
    QAction* mnuFileSave_ = nullptr;
    QAction* mnuFileLoadArea_ = nullptr;
    QAction* mnuFileSaveArea_ = nullptr;
    QAction* mnuFileBatch_ = nullptr;
    QAction* mnuFileClose_ = nullptr;
    QAction* mnuFileExit_ = nullptr;
    QMenu* mnuViewMag_ = nullptr;
    QLabel* lblCircle_ = nullptr; // the status bar's note on the image circle
};

} // namespace karwen::ui
