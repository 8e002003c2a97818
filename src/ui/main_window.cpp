#include "main_window.h"

#include "about_box.h"
#include "area_file_commands.h"
#include "area_routines.h"
#include "dialog_seam.h"
#include "file_path.h"
#include "image_file_commands.h"
#include "image_view.h"
#include "mdl_karwen.h"
#include "photo_source.h"
#include "pointer_status.h"
#include "recent_files.h"
#include "stored_settings.h"
#include "undo_history.h"
#include "undoable_step.h"
#include "view_geometry.h"
#include "window_menu.h"
#include "window_registry.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>

namespace karwen::ui {

MainWindow::MainWindow(WindowRegistry& windows)
    : windows_(windows)
    , mdiArea_(new QMdiArea(this))
    , cdl_(this)
    , files_(std::make_unique<ImageFileCommands>(windows, *this))
    , areaFiles_(std::make_unique<AreaFileCommands>(windows, *this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kAppTitle);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    // Windows are kept inside the frame; one the user drags partly out
    // stays reachable.
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    lblCircle_ = new QLabel(this);
    lblCircle_->setObjectName(QStringLiteral("lblCircle"));
    statusBar()->addPermanentWidget(lblCircle_);
    createFileMenu();
    createEditMenu();
    createViewMenus();
    createWindowMenu();
    createZoomKeys();
    setAcceptDrops(true);
    // Most of the screen, so that the parameters, the source and the result
    // can stand side by side, and no more, so that a small screen shows the
    // whole frame; client area 15255 x 10395 twips without a screen.
    QSize size(twipsToPixels(15255), twipsToPixels(10395) + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = screen->availableGeometry().size() * 0.9;
    resize(size);
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QMdiSubWindow* MainWindow::addChild(QWidget* widget)
{
    QMdiSubWindow* sub = mdiArea_->addSubWindow(widget);
    // Two actions on one key run neither ("Ambiguous shortcut overload").
    if (QMenu* menu = sub->systemMenu()) {
        for (QAction* action : menu->actions()) {
            QList<QKeySequence> keys = action->shortcuts();
            if (keys.removeAll(mnuFileClose_->shortcut()) > 0)
                action->setShortcuts(keys);
        }
    }
    return sub;
}

QAction* MainWindow::item(const QString& name) const { return findChild<QAction*>(name); }

void MainWindow::createFileMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("File(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuFileOpen_ = addItem(file, QStringLiteral("mnuFileOpen"), QStringLiteral("Open(&O)..."));
    QMenu* recentMenu = file->addMenu(QStringLiteral("Recent Files"));
    recentMenu->setObjectName(QStringLiteral("mnuFileRecent"));
    recent_ = new RecentFiles(recentMenu, this, [this](const QString& path) { openPhoto(path); });
    mnuFileSave_ = addItem(file, QStringLiteral("mnuFileSave"), QStringLiteral("Save(&S)..."));
    mnuFileLoadArea_ = addItem(file, QStringLiteral("mnuFileLoadArea"), QStringLiteral("Load Area Data(&L)..."));
    mnuFileSaveArea_ = addItem(file, QStringLiteral("mnuFileSaveArea"), QStringLiteral("Save Area Data(&A)..."));
    mnuFileBatch_ = addItem(file, QStringLiteral("mnuFileBatch"), QStringLiteral("Batch(&B)..."));
    mnuFileClose_ = addItem(file, QStringLiteral("mnuFileClose"), QStringLiteral("Close(&C)"));
    mnuFileExit_ = addItem(file, QStringLiteral("mnuFileExit"), QStringLiteral("Exit(&X)"));

    connect(mnuFileOpen_, &QAction::triggered, this, [this] { files_->mnuFileOpen_Click(); });
    connect(mnuFileSave_, &QAction::triggered, this, [this] { files_->mnuFileSave_Click(); });
    connect(mnuFileLoadArea_, &QAction::triggered, this, [this] { areaFiles_->mnuFileLoadArea_Click(); });
    connect(mnuFileSaveArea_, &QAction::triggered, this, [this] { areaFiles_->mnuFileSaveArea_Click(); });
    connect(mnuFileBatch_, &QAction::triggered, this, &MainWindow::mnuFileBatch_Click);
    connect(mnuFileClose_, &QAction::triggered, this, [this] {
        if (mayDiscardArea(this))
            close_image();
    });
    connect(mnuFileExit_, &QAction::triggered, this, &QWidget::close);

    // The usual keys beside the access keys.
    mnuFileOpen_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileSave_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFileClose_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    mnuFileExit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void MainWindow::createEditMenu()
{
    history_ = new UndoHistory(windows_, this);
    QUndoStack& stack = history_->stack();
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    QAction* undo = addItem(edit, QStringLiteral("mnuEditUndo"), QStringLiteral("Undo(&U)"));
    QAction* redo = addItem(edit, QStringLiteral("mnuEditRedo"), QStringLiteral("Redo(&R)"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(undo, &QAction::triggered, history_, &UndoHistory::undo);
    connect(redo, &QAction::triggered, history_, &UndoHistory::redo);
    // The captions stay; what would be taken back or done again shows in
    // the status bar.
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(&stack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(&stack, &QUndoStack::undoTextChanged, undo, [undo](const QString& step) {
        undo->setStatusTip(step.isEmpty() ? QString() : QStringLiteral("Undo ") + step);
    });
    connect(&stack, &QUndoStack::redoTextChanged, redo, [redo](const QString& step) {
        redo->setStatusTip(step.isEmpty() ? QString() : QStringLiteral("Redo ") + step);
    });
}

void MainWindow::createViewMenus()
{
    // The tool windows only hide when closed; these bring them back.
    QMenu* view = menuBar()->addMenu(QStringLiteral("View(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    connect(addItem(view, QStringLiteral("mnuFormat"), QStringLiteral("Format(&F)")), &QAction::triggered, this,
        [this] { windows_.bringFormatForward(); });
    connect(addItem(view, QStringLiteral("mnuArea"), QStringLiteral("Area(&A)")), &QAction::triggered, this,
        [this] { windows_.bringAreaForward(); });
    connect(addItem(view, QStringLiteral("mnuCanopy"), QStringLiteral("Canopy(&C)")), &QAction::triggered, this,
        [this] { windows_.bringCanopyForward(); });

    mnuViewMag_ = menuBar()->addMenu(QStringLiteral("Zoom(&Z)"));
    mnuViewMag_->setObjectName(QStringLiteral("mnuViewMag"));
    static const char* const captions[] = {"25%", "50%", "75%", "100%", "150%", "200%", "400%", "800%"};
    for (int n = 0; n < int(MagTbl.size()); ++n) {
        QAction* mag = addItem(mnuViewMag_, QStringLiteral("mag%1").arg(n), QString::fromLatin1(captions[n]));
        connect(mag, &QAction::triggered, this, [this, n] { mag_Click(n); });
    }
    mnuViewMag_->addSeparator()->setObjectName(QStringLiteral("mnuViewMagSep"));
    connect(addItem(mnuViewMag_, QStringLiteral("mnufit"), QStringLiteral("fit")), &QAction::triggered, this,
        &MainWindow::mnufit_Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* about = addItem(help, QStringLiteral("mnuHelpAbout"), QStringLiteral("About(&A)..."));
    about->setShortcut(QKeySequence(Qt::Key_F1));
    connect(about, &QAction::triggered, this, &MainWindow::mnuHelpAbout_Click);
    addResetSettingsItem(help);
    item(QStringLiteral("mag3"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
}

void MainWindow::createWindowMenu()
{
    auto* window = new QMenu(QStringLiteral("Window(&W)"), menuBar());
    window->setObjectName(QStringLiteral("mnuWindow"));
    const QMenu* help = findChild<QMenu*>(QStringLiteral("mnuHelp"));
    menuBar()->insertMenu(help ? help->menuAction() : nullptr, window);
    new WindowMenu(window, mdiArea_);
}

void MainWindow::createZoomKeys()
{
    // Zooming one step in and out has no menu item; the keys live on the frame.
    const auto addKeys = [this](const QString& name, QList<QKeySequence> keys, int direction) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, direction] { zoomStep(direction); });
    };
    addKeys(
        QStringLiteral("zoomIn"), {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, +1);
    addKeys(QStringLiteral("zoomOut"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, -1);
}

void MainWindow::zoomStep(int direction)
{
    auto* view = qobject_cast<views::ImageView*>(activeChild());
    if (!view)
        return;
    const float next = views::steppedZoom(view->viewScale(), direction);
    if (next != view->viewScale())
        view->set_sc(next);
}

bool MainWindow::openPhoto(const QString& path) { return files_->openPhoto(path); }

void MainWindow::photoOpened(const QString& path) { recent_->add(path); }

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.constFirst().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    openPhoto(urls.constFirst().toLocalFile());
}

void MainWindow::MDIForm_Load()
{
    hSrc = 0;
    hDst = 0;
    windows_.showFormat();
    windows_.showArea();
    updateCommandStates();
}

void MainWindow::updateCommandStates()
{
    const bool imageOpen = isImage(hSrc) && isImage(hDst);
    showCircleState();
    setWindowTitle(
        imageOpen ? kAppTitle + QStringLiteral(" - ") + QString::fromStdString(get_fname(SrcFile)) : kAppTitle);
    windows_.toolWindowsFollowImage(imageOpen);
    for (QAction* command : {mnuFileClose_, mnuFileSave_, mnuFileLoadArea_, mnuFileSaveArea_})
        command->setEnabled(imageOpen);
    mnuViewMag_->menuAction()->setEnabled(true);
}

QString MainWindow::circleState() const { return lblCircle_->text(); }

void MainWindow::showCircleState()
{
    // The conversion still uses the default circle; the note stays while
    // the photo is open, since every figure and result depends on it.
    QString state;
    if (isImage(hSrc) && srcCircleNotFound())
        state = srcCircleIsReset() ? QStringLiteral("Image circle not found: the source circle is a default one")
                                   : QStringLiteral("Image circle not found: the source circle is fitted by hand");
    if (const QString lens = keptLensNote(); !lens.isEmpty())
        state = state.isEmpty() ? lens : state + QStringLiteral("; ") + lens;
    lblCircle_->setText(state);
}

void MainWindow::showPointer(const views::ImageView& view, QPointF imagePoint, QPointF picturePosition)
{
    const bool source = view.property("Tag").toString() == QLatin1String("Src");
    const QString where = source ? pointerStatusText(hSrc, SrcPrm, imagePoint, lensOf(SrcPrm, SrcLens))
                                 : pointerStatusText(hDst, DstPrm, imagePoint);
    const QString hint = view.handleHint(picturePosition);
    statusBar()->showMessage(hint.isEmpty() ? where : hint + QStringLiteral("    ") + where);
}

void MainWindow::clearPointer() { statusBar()->clearMessage(); }

void MainWindow::mnuFileBatch_Click()
{
    // The destination side the dialog hands back is a step of its own.
    const UndoableStep step("Batch");
    windows_.runBatchDialog();
}

void MainWindow::mnuHelpAbout_Click()
{
    AboutBox frmAbout(this);
    frmAbout.exec();
}

void MainWindow::addResetSettingsItem(QMenu* help)
{
    connect(addItem(help, QStringLiteral("mnuHelpResetSettings"), QStringLiteral("Reset settings(&R)")),
        &QAction::triggered, this, &MainWindow::mnuHelpResetSettings_Click);
}

void MainWindow::mnuHelpResetSettings_Click()
{
    if (dialogs().question(this,
            QStringLiteral("Return every setting to its start value and forget the kept ones? "
                           "The recent files stay.")))
        emit resetSettingsAsked();
}

QWidget* MainWindow::activeChild() const
{
    QMdiSubWindow* sub = mdiArea_->currentSubWindow();
    return sub ? sub->widget() : nullptr;
}

void MainWindow::mag_Click(int index)
{
    QWidget* child = activeChild();
    if (!child || child->property("Tag").toString().isEmpty() || index < 0 || index >= int(MagTbl.size()))
        return;
    if (auto* view = qobject_cast<views::ImageView*>(child))
        view->set_sc(MagTbl[std::size_t(index)]);
}

void MainWindow::mnufit_Click()
{
    QWidget* child = activeChild();
    if (!child || child->property("Tag").toString().isEmpty())
        return;
    if (auto* view = qobject_cast<views::ImageView*>(child))
        view->fitToWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!mayDiscardArea(this)) {
        event->ignore();
        return;
    }
    close_image();
    windows_.mainUnloading();
    event->accept();
}

} // namespace karwen::ui
