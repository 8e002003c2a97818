#include "main_window.h"

#include "area_panel.h"
#include "area_routines.h"
#include "format_window.h"
#include "image_file_commands.h"
#include "image_view.h"
#include "mdl_karwen.h"
#include "view_geometry.h"
#include "window_registry.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>

namespace karwen::ui {

MainWindow::MainWindow(WindowRegistry& windows)
    : windows_(windows)
    , mdiArea_(new QMdiArea(this))
    , cdl_(this)
    , files_(std::make_unique<ImageFileCommands>(windows, *this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kAppTitle);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    // A large result or a view at 200 % may reach past the frame; its
    // scroll bars and close box must stay reachable.
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    createMenus();
    // Client area 15255 x 10395 twips at first display, or most of a larger
    // screen, so that the parameters, the source and the result can stand
    // side by side.
    QSize size(views::twipsToPixels(15255), views::twipsToPixels(10395) + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.expandedTo(screen->availableGeometry().size() * 0.9);
    resize(size);
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QAction* MainWindow::item(const QString& name) const { return findChild<QAction*>(name); }

void MainWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("File(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(addItem(file, QStringLiteral("mnuFileOpen"), QStringLiteral("Open(&O)...")), &QAction::triggered,
            this, [this] { files_->mnuFileOpen_Click(); });
    connect(addItem(file, QStringLiteral("mnuFileSave"), QStringLiteral("Save(&S)...")), &QAction::triggered,
            this, [this] { files_->mnuFileSave_Click(); });
    connect(addItem(file, QStringLiteral("mnuFileLoadArea"), QStringLiteral("Load Area Data(&L)...")),
            &QAction::triggered, this, [this] { if (loadArea_) loadArea_(); });
    connect(addItem(file, QStringLiteral("mnuFileSaveArea"), QStringLiteral("Save Area Data(&A)...")),
            &QAction::triggered, this, [this] { if (saveArea_) saveArea_(); });
    connect(addItem(file, QStringLiteral("mnuFileBatch"), QStringLiteral("Batch(&B)...")), &QAction::triggered,
            this, [this] { if (batch_) batch_(); });
    connect(addItem(file, QStringLiteral("mnuFileClose"), QStringLiteral("Close(&C)")), &QAction::triggered,
            this, [this] {
                if (mayDiscardArea(this))
                    close_image();
            });
    connect(addItem(file, QStringLiteral("mnuFileExit"), QStringLiteral("Exit(&X)")), &QAction::triggered,
            this, &QWidget::close);

    // The tool windows only hide when closed; these bring them back.
    QMenu* view = menuBar()->addMenu(QStringLiteral("View(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    connect(addItem(view, QStringLiteral("mnuFormat"), QStringLiteral("Format(&F)")), &QAction::triggered, this,
            [this] { windows_.bringFormatForward(); });
    connect(addItem(view, QStringLiteral("mnuArea"), QStringLiteral("Area(&A)")), &QAction::triggered, this,
            [this] { windows_.bringAreaForward(); });

    QMenu* zoom = menuBar()->addMenu(QStringLiteral("Zoom(&Z)"));
    zoom->setObjectName(QStringLiteral("mnuViewMag"));
    static const char* const captions[] = {"25%", "50%", "75%", "100%", "150%", "200%", "400%", "800%"};
    for (int n = 0; n < int(MagTbl.size()); ++n) {
        QAction* mag = addItem(zoom, QStringLiteral("mag%1").arg(n), QString::fromLatin1(captions[n]));
        connect(mag, &QAction::triggered, this, [this, n] { mag_Click(n); });
    }
    zoom->addSeparator()->setObjectName(QStringLiteral("mnuViewMagSep"));
    connect(addItem(zoom, QStringLiteral("mnufit"), QStringLiteral("fit")), &QAction::triggered, this,
            &MainWindow::mnufit_Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(addItem(help, QStringLiteral("mnuHelpAbout"), QStringLiteral("About(&A)...")), &QAction::triggered,
            this, [this] { if (about_) about_(); });
}

void MainWindow::setAreaFileCommands(std::function<void()> load, std::function<void()> save)
{
    loadArea_ = std::move(load);
    saveArea_ = std::move(save);
}

void MainWindow::MDIForm_Load()
{
    hSrc = 0;
    hDst = 0;
    item(QStringLiteral("mnuFileSave"))->setEnabled(false);
    item(QStringLiteral("mnuFileClose"))->setEnabled(false);
    item(QStringLiteral("mnuFileLoadArea"))->setEnabled(false);
    item(QStringLiteral("mnuFileSaveArea"))->setEnabled(false);
    windows_.showFormat();
    windows_.showArea();
    windows_.frmFormat().parentWidget()->setEnabled(false);
    windows_.frmArea().parentWidget()->setEnabled(false);
}

void MainWindow::enableImageCommands()
{
    item(QStringLiteral("mnuFileClose"))->setEnabled(true);
    item(QStringLiteral("mnuFileSave"))->setEnabled(true);
    item(QStringLiteral("mnuFileLoadArea"))->setEnabled(true);
    item(QStringLiteral("mnuFileSaveArea"))->setEnabled(true);
}

void MainWindow::disableImageCommands()
{
    item(QStringLiteral("mnuFileClose"))->setEnabled(false);
    item(QStringLiteral("mnuFileSave"))->setEnabled(false);
    item(QStringLiteral("mnuFileLoadArea"))->setEnabled(false);
    item(QStringLiteral("mnuFileSaveArea"))->setEnabled(false);
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
        view->fit();
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
