#include "image_view.h"

#include "mdl_karwen.h"
#include "photo_source.h"
#include "picture_area.h"
#include "view_tool.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace karwen::views {

namespace {

// One notch of the wheel (120 in Qt's units) scrolls this many picture pixels.
constexpr double kWheelNotchPixels = 60.0;
constexpr int kWheelNotch = 120;

// The corner grip: three diagonal ridges, drawn once.
QPixmap gripPicture(const QPalette& palette)
{
    QPixmap pixmap(ImageView::kBarExtent, ImageView::kBarExtent);
    pixmap.fill(palette.color(QPalette::Window));
    QPainter painter(&pixmap);
    for (int k = 4; k <= 12; k += 4) {
        painter.setPen(palette.color(QPalette::Light));
        painter.drawLine(16 - k, 15, 15, 16 - k);
        painter.setPen(palette.color(QPalette::Dark));
        painter.drawLine(17 - k, 15, 15, 17 - k);
    }
    return pixmap;
}

} // namespace

ImageView::ImageView(const QString& tag, QWidget* parent)
    : QWidget(parent)
    , pct_(new PictureArea(this))
    , hsb_(new QScrollBar(Qt::Horizontal, this))
    , vsb_(new QScrollBar(Qt::Vertical, this))
    , imgResize_(new QLabel(this))
{
    setProperty("Tag", tag);
    setAttribute(Qt::WA_DeleteOnClose);
    hsb_->setObjectName(QStringLiteral("hsb"));
    vsb_->setObjectName(QStringLiteral("vsb"));
    imgResize_->setObjectName(QStringLiteral("imgResize"));
    hsb_->setRange(0, 0);
    vsb_->setRange(0, 0);
    // The vertical bar's top end holds the largest offset, which shows the
    // image's top rows; the wheel and keys follow the bar's look.
    vsb_->setInvertedAppearance(true);
    vsb_->setInvertedControls(false);
    imgResize_->setPixmap(gripPicture(palette()));
    imgResize_->setFixedSize(kBarExtent, kBarExtent);
    pct_->setToolSource([this] { return currentTool(); });
    connect(pct_, &PictureArea::pointerMoved, this,
        [this](QPointF at) { emit pointerOver(mapToImage(mapping(), at), at); });
    connect(pct_, &PictureArea::pointerLeft, this, &ImageView::pointerGone);
    connect(hsb_, &QScrollBar::valueChanged, this, &ImageView::hsbChange);
    connect(vsb_, &QScrollBar::valueChanged, this, &ImageView::vsbChange);
    layoutChildren();
}

ImageView::~ImageView() = default;

QWidget* ImageView::outerWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

QWidget* ImageView::picture() const { return pct_; }

QImage& ImageView::canvas() { return pct_->canvas(); }

ViewMapping ImageView::mapping() const { return {viewScale_, viewX0_, viewY0_, pictureSize().height()}; }

QSize ImageView::pictureSize() const { return {std::max(1, width() - kBarExtent), std::max(1, height() - kBarExtent)}; }

bool ImageView::load()
{
    if (!isImage(imageHandle())) {
        unload();
        return false;
    }
    beforePlace();
    ready_ = false;
    QWidget* outer = outerWindow();
    frameExtraW_ = static_cast<int16_t>(outer->width() - width() + kBarExtent);
    frameExtraH_ = static_cast<int16_t>(outer->height() - height() + kBarExtent);
    if (loadGeometry_) {
        outer->setGeometry(*loadGeometry_);
        sized_ = true;
    } else if (loadPosition_) {
        outer->move(loadPosition_());
    }
    const QSize image = imageSize();
    zoomKeeping(loadScale(), QPointF(image.width() / 2.0, image.height() / 2.0), std::nullopt);
    afterLoadScale();
    sized_ = true;
    ready_ = true;
    return true;
}

void ImageView::set_sc(float scale)
{
    const QSize picture = pictureSize();
    zoomKeeping(scale, mapToImage(mapping(), QPointF(picture.width() / 2.0, picture.height() / 2.0)), std::nullopt);
}

void ImageView::zoomAt(float scale, QPointF picturePosition)
{
    zoomKeeping(scale, mapToImage(mapping(), picturePosition), picturePosition);
}

void ImageView::fitToWindow() { set_sc(zoomToFit(imageSize(), pictureSize())); }

void ImageView::zoomKeeping(float scale, QPointF imagePoint, std::optional<QPointF> to)
{
    viewScale_ = scale;
    setWindowTitle(caption(QString::number(viewScale_ * 100.0f, 'g', 7)));
    const QSize image = imageSize();
    scaledW_ = static_cast<float>(double(viewScale_) * image.width());
    scaledH_ = static_cast<float>(double(viewScale_) * image.height());
    // Only the first zoom sizes the window; later ones scroll inside it, so
    // a window never grows past the frame nor leaves where the user put it.
    if (sized_)
        relayout();
    else
        fit();
    // The bars clamp what lies beyond the image; a bar without range keeps
    // the centred offset.
    const QSize picture = pictureSize();
    const QPointF at = to.value_or(QPointF(picture.width() / 2.0, picture.height() / 2.0));
    const QPoint offsets = offsetsShowing(imagePoint, at, viewScale_, picture.height());
    ready_ = false;
    hsb_->setValue(offsets.x());
    vsb_->setValue(offsets.y());
    ready_ = true;
    pct_update();
}

QSize ImageView::pictureRoom()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    const QMdiArea* area = sub ? sub->mdiArea() : nullptr;
    // A frame not yet on screen has no size to go by.
    if (!area || !area->viewport()->isVisible())
        return {kMaxPicture, kMaxPicture};
    const QSize room = roomFrom(outerWindow()->pos(), area->viewport()->size());
    return {room.width() - frameExtraW_, room.height() - frameExtraH_};
}

void ImageView::fit()
{
    ready_ = false;
    const QSize picture = fittedPicture(scaledW_, scaledH_, pictureRoom());
    const QSize outerSize(std::max(kMinOuterPixels, frameExtraW_ + picture.width()),
        std::max(kMinOuterPixels, frameExtraH_ + picture.height()));
    QWidget* outer = outerWindow();
    const QSize frame(frameExtraW_ - kBarExtent, frameExtraH_ - kBarExtent);
    outer->resize(outerSize);
    // Caption and close box stay inside the frame.
    if (outer != this && outer->parentWidget() && outer->parentWidget()->isVisible())
        outer->move(keptInside(outer->geometry(), outer->parentWidget()->size()).topLeft());
    // A hidden frame lays its content out only when shown: size it here so
    // the scroll ranges are computed for the final picture.
    if (outer != this && size() != outerSize - frame)
        resize(outerSize - frame);
    layoutChildren();
    sb_set();
    ready_ = true;
    pct_update();
}

void ImageView::relayout()
{
    ready_ = false;
    QWidget* outer = outerWindow();
    const QSize frame(frameExtraW_ - kBarExtent, frameExtraH_ - kBarExtent);
    // A hidden frame lays its content out only when shown.
    if (outer != this && size() != outer->size() - frame)
        resize(outer->size() - frame);
    layoutChildren();
    sb_set();
    ready_ = true;
}

void ImageView::resizeEvent(QResizeEvent*)
{
    ready_ = false;
    QWidget* outer = outerWindow();
    if (outer->isMinimized())
        return;
    if (outer->width() < kMinOuterPixels) {
        outer->resize(kMinOuterPixels, outer->height());
        return;
    }
    if (outer->height() < kMinOuterPixels) {
        outer->resize(outer->width(), kMinOuterPixels);
        return;
    }
    layoutChildren();
    sb_set();
    ready_ = true;
    pct_update();
}

void ImageView::layoutChildren()
{
    const QSize picture = pictureSize();
    pct_->setGeometry(0, 0, picture.width(), picture.height());
    pct_->resizeCanvas(picture);
    hsb_->setGeometry(0, picture.height(), picture.width(), kBarExtent);
    vsb_->setGeometry(picture.width(), 0, kBarExtent, picture.height());
    imgResize_->move(picture.width(), picture.height());
}

void ImageView::sb_set()
{
    const QSize image = imageSize();
    const QSize picture = pictureSize();

    const AxisRange h = axisRange(image.width(), picture.width(), viewScale_);
    if (!h.scrolls) {
        hsb_->setValue(0);
        viewX0_ = h.centredOffset;
        hsb_->setRange(0, 0);
    } else {
        viewX0_ = hsb_->value();
        hsb_->setRange(0, h.range); // clamping raises the change handler
        hsb_->setPageStep(image.width());
    }

    const AxisRange v = axisRange(image.height(), picture.height(), viewScale_);
    if (!v.scrolls) {
        vsb_->setValue(0);
        viewY0_ = v.centredOffset;
        vsb_->setRange(0, 0);
    } else {
        viewY0_ = vsb_->value();
        vsb_->setRange(0, v.range);
        vsb_->setPageStep(image.height());
    }
    offsetsChanged();
}

void ImageView::hsbChange(int value)
{
    viewX0_ = value;
    offsetsChanged();
    pct_update();
}

void ImageView::vsbChange(int value)
{
    viewY0_ = value;
    offsetsChanged();
    pct_update();
}

void ImageView::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (!ready_)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        wheelZoomRest_ += event->angleDelta().y();
        const int steps = wheelZoomRest_ / kWheelNotch;
        wheelZoomRest_ -= steps * kWheelNotch;
        float scale = viewScale_;
        for (int n = 0; n < std::abs(steps); ++n)
            scale = steppedZoom(scale, steps);
        if (scale != viewScale_)
            zoomAt(scale, pct_->mapFrom(this, event->position()));
        return;
    }
    QPoint delta = event->angleDelta();
    // Shift turns the wheel sideways.
    if ((event->modifiers() & Qt::ShiftModifier) && delta.x() == 0)
        delta = QPoint(delta.y(), 0);
    scrollByWheel(delta);
}

void ImageView::scrollByWheel(QPoint angleDelta)
{
    // Qt counts a turn to the right as negative; turning up shows higher
    // rows, which is a larger vertical offset. Fractions of an image pixel
    // wait for the next turn.
    wheelScrollRest_ += QPointF(-angleDelta.x(), angleDelta.y()) * (kWheelNotchPixels / kWheelNotch / viewScale_);
    const QPoint step(static_cast<int>(wheelScrollRest_.x()), static_cast<int>(wheelScrollRest_.y()));
    wheelScrollRest_ -= QPointF(step);
    hsb_->setValue(hsb_->value() + step.x());
    vsb_->setValue(vsb_->value() + step.y());
}

void ImageView::clearMargins(QImage& canvas, QSize picture, QSize image)
{
    const QColor background = palette().color(QPalette::Window);
    QPainter painter(&canvas);
    const double s = viewScale_;
    if (viewX0_ < 0) {
        painter.fillRect(QRectF(QPointF(0, 0), QPointF(s * -viewX0_, picture.height())), background);
        painter.fillRect(
            QRectF(QPointF(s * (image.width() - viewX0_), 0), QPointF(picture.width(), picture.height())), background);
    }
    if (viewY0_ < 0) {
        painter.fillRect(QRectF(QPointF(0, 0), QPointF(picture.width(), s * -viewY0_)), background);
        painter.fillRect(
            QRectF(QPointF(0, s * (image.height() - viewY0_)), QPointF(picture.width(), picture.height())), background);
    }
}

void ImageView::pct_update()
{
    if (!ready_ || unloading_ || !isImage(imageHandle()))
        return;
    const QSize picture = pictureSize();
    QImage& image = pct_->canvas();
    if (image.size() != picture)
        pct_->resizeCanvas(picture);
    clearMargins(image, picture, imageSize());
    RixCanvas dc{image.bits(), image.width(), image.height(), static_cast<int32_t>(image.bytesPerLine())};
    const double s = viewScale_;
    (void)RixStretchBlt(imageHandle(), viewX0_, viewY0_, roundHalfEven(picture.width() / s),
        roundHalfEven(picture.height() / s), &dc, 0, 0, picture.width(), picture.height());
    if (ViewTool* tool = currentTool())
        tool->paint(image);
    pct_->update();
}

void ImageView::unload()
{
    unloadRequested_ = true;
    outerWindow()->close();
}

void ImageView::closeEvent(QCloseEvent* event)
{
    if (!unloading_ && !unloadRequested_ && mayClose_ && !mayClose_()) {
        event->ignore();
        return;
    }
    if (!unloading_) {
        unloading_ = true;
        emit unloading();
        close_image();
        emit unloaded();
    }
    event->accept();
}

} // namespace karwen::views
