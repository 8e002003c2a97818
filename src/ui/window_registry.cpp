#include "window_registry.h"

#include "area_panel.h"
#include "area_routines.h"
#include "canopy_window.h"
#include "dst_view.h"
#include "format_window.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "src_view.h"
#include "view_geometry.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

namespace karwen::ui {

namespace {
// frmDst opens 360 twips below and right of frmSrc.
constexpr int kDstOffset = views::twipsToPixels(360);
// Borders and the vertical scroll bar around a view's picture, generously.
constexpr int kDstFrameAllowance = 40;
// The canopy window's first size: room for its table and plot side by side.
constexpr int kCanopyWidth = 960;
constexpr int kCanopyHeight = 290;
} // namespace

WindowRegistry::WindowRegistry() = default;

WindowRegistry::~WindowRegistry()
{
    mainClosing_ = true;
    main_.reset();
}

MainWindow& WindowRegistry::frmMain()
{
    if (!main_) {
        main_ = std::make_unique<MainWindow>(*this);
        mainClosing_ = false;
        main_->mdiArea()->viewport()->installEventFilter(this);
        main_->MDIForm_Load();
    }
    return *main_;
}

MainWindow* WindowRegistry::mainIfLoaded() const { return mainClosing_ ? nullptr : main_.get(); }

FormatWindow* WindowRegistry::formatIfLoaded() const { return format_; }

AreaPanel* WindowRegistry::areaIfLoaded() const { return area_; }

CanopyWindow* WindowRegistry::canopyIfLoaded() const { return canopy_; }

QMdiSubWindow* WindowRegistry::addChild(QWidget* widget, bool deleteOnClose)
{
    QMdiSubWindow* sub = frmMain().addChild(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    return sub;
}

QWidget* WindowRegistry::outerOf(QWidget* child)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget()))
        return sub;
    return child;
}

FormatWindow& WindowRegistry::frmFormat()
{
    if (!format_) {
        auto* window = new FormatWindow;
        format_ = window;
        (void)addChild(window, false);
        window->Form_Load();
    }
    return *format_;
}

AreaPanel& WindowRegistry::frmArea()
{
    if (!area_) {
        auto* panel = new AreaPanel(*this);
        area_ = panel;
        QMdiSubWindow* sub = addChild(panel, false);
        // Directly below the parameters dialog, at the left edge, until the
        // frame's size is known.
        const QWidget* format = outerOf(&frmFormat());
        sub->move(0, format->y() + format->height());
        panel->Form_Load();
    }
    return *area_;
}

CanopyWindow& WindowRegistry::frmCanopy()
{
    if (!canopy_) {
        auto* window = new CanopyWindow(*this);
        canopy_ = window;
        QMdiSubWindow* sub = addChild(window, false);
        // At the bottom of the area, right of the area panel: below the
        // two views as they open on a screen of some size.
        const QWidget* area = frmMain().mdiArea()->viewport();
        sub->resize(canopyWantedSize().boundedTo(area->size()));
        const int x = std::min(outerOf(&frmArea())->geometry().right() + 1, area->width() - sub->width());
        sub->move(std::max(0, x), std::max(0, area->height() - sub->height()));
        emit canopyMade();
        frmMain().updateCommandStates();
    }
    return *canopy_;
}

QSize WindowRegistry::canopyWantedSize() const
{
    return outerOf(canopy_)->sizeHint().expandedTo({kCanopyWidth, kCanopyHeight});
}

bool WindowRegistry::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && main_ && watched == main_->mdiArea()->viewport())
        fitChildrenToFrame();
    return QObject::eventFilter(watched, event);
}

void WindowRegistry::placeAreaPanel()
{
    QWidget* area = outerOf(area_);
    const QRect format = outerOf(format_)->geometry();
    const QPoint below(0, format.bottom() + 1);
    const QPoint beside(format.right() + 1, 0);
    // Only a panel where the program put it moves; one the user placed stays.
    if (area->pos() != below && area->pos() != beside)
        return;
    const int roomBelow = frmMain().mdiArea()->viewport()->height() - below.y();
    area->move(area->height() <= roomBelow ? below : beside);
}

void WindowRegistry::fitChildrenToFrame()
{
    if (mainClosing_)
        return;
    const QSize room = main_->mdiArea()->viewport()->size();
    if (room.isEmpty())
        return;
    if (format_ && area_)
        placeAreaPanel();
    for (QWidget* tool : {static_cast<QWidget*>(format_), static_cast<QWidget*>(area_)})
        if (tool)
            outerOf(tool)->setGeometry(views::keptInside(outerOf(tool)->geometry(), room));
    if (canopy_) {
        QWidget* outer = outerOf(canopy_);
        outer->setGeometry(views::keptInside(QRect(outer->pos(), canopyWantedSize()), room));
    }
    for (views::ImageView* view :
        {static_cast<views::ImageView*>(srcIfLoaded()), static_cast<views::ImageView*>(dstIfLoaded())})
        if (view && view->ready())
            view->fit(); // fitted again at the same zoom
}

void WindowRegistry::showFormat() { outerOf(&frmFormat())->show(); }

void WindowRegistry::showArea() { outerOf(&frmArea())->show(); }

void WindowRegistry::bringForward(QWidget* toolWindow)
{
    QWidget* outer = outerOf(toolWindow);
    // The close box hid the window inside the frame as well.
    toolWindow->show();
    outer->show();
    outer->raise();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(outer))
        frmMain().mdiArea()->setActiveSubWindow(sub);
}

void WindowRegistry::bringFormatForward() { bringForward(&frmFormat()); }

void WindowRegistry::bringAreaForward() { bringForward(&frmArea()); }

void WindowRegistry::bringCanopyForward() { bringForward(&frmCanopy()); }

views::SrcView* WindowRegistry::srcIfLoaded() const
{
    return src_.unloading ? nullptr : qobject_cast<views::SrcView*>(src_.view.data());
}

views::DstView* WindowRegistry::dstIfLoaded() const
{
    return dst_.unloading ? nullptr : qobject_cast<views::DstView*>(dst_.view.data());
}

void WindowRegistry::showView(ViewSlot& slot, views::ImageView* fresh)
{
    slot.view = fresh;
    slot.unloading = false;
    fresh->setLoadGeometry(slot.kept);
    connect(fresh, &views::ImageView::unloading, this, [this, &slot] {
        slot.unloading = true;
        if (!mainClosing_ && slot.view)
            slot.kept = outerOf(slot.view)->geometry();
    });
    connect(fresh, &views::ImageView::unloaded, this, [&slot] {
        slot.view = nullptr;
        slot.unloading = false;
    });
    connect(fresh, &views::ImageView::pointerOver, this, [this, fresh](QPointF image, QPointF at) {
        if (MainWindow* main = mainIfLoaded())
            main->showPointer(*fresh, image, at);
    });
    connect(fresh, &views::ImageView::pointerGone, this, [this] {
        if (MainWindow* main = mainIfLoaded())
            main->clearPointer();
    });
    // Closing either view closes the image, and with it the painted dots.
    fresh->setCloseGuard([this] { return mayDiscardArea(main_.get()); });
    QMdiSubWindow* sub = addChild(fresh, true);
    sub->show();
    if (fresh->load())
        sub->setFocus();
}

void WindowRegistry::showSrc()
{
    if (srcIfLoaded()) {
        outerOf(src_.view)->show();
        return;
    }
    auto* view = new views::SrcView;
    view->setLoadPosition([this] {
        // Right of the tool windows, whichever way they stand.
        const QRect format = outerOf(&frmFormat())->geometry();
        const QRect area = outerOf(&frmArea())->geometry();
        return QPoint(std::max(format.right(), area.right()) + 1, 0);
    });
    showView(src_, view);
}

void WindowRegistry::showDst()
{
    if (dstIfLoaded()) {
        outerOf(dst_.view)->show();
        return;
    }
    auto* view = new views::DstView;
    installAreaMeasurement(*view, *this);
    view->setLoadPosition([this] {
        if (!src_.view)
            return QPoint(kDstOffset, kDstOffset);
        // Beside the source when the frame has room for a picture of the
        // destination's width, so that a click on the source never hides
        // the result; otherwise a little below and right of the source.
        const QWidget* source = outerOf(src_.view);
        const int besideWidth = std::min(DstW, views::kMaxPicture) + kDstFrameAllowance;
        if (source->geometry().right() + 1 + besideWidth <= frmMain().mdiArea()->viewport()->width())
            return QPoint(source->geometry().right() + 1, 0);
        return QPoint(source->x() + kDstOffset, kDstOffset);
    });
    showView(dst_, view);
}

void WindowRegistry::unloadView(ViewSlot& slot)
{
    if (!slot.view || slot.unloading)
        return;
    slot.view->unload();
}

void WindowRegistry::unloadSrc() { unloadView(src_); }

void WindowRegistry::unloadDst() { unloadView(dst_); }

} // namespace karwen::ui
