#include "picture_area.h"

#include "view_tool.h"

#include <QMouseEvent>
#include <QPainter>

namespace karwen::views {

PictureArea::PictureArea(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pct"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_, event->rect());
}

void PictureArea::resizeEvent(QResizeEvent*) { resizeCanvas(size()); }

void PictureArea::resizeCanvas(QSize size)
{
    size = size.expandedTo(QSize(1, 1));
    if (canvas_.size() == size)
        return;
    canvas_ = QImage(size, QImage::Format_RGB32);
    canvas_.fill(palette().color(QPalette::Window));
}

void PictureArea::mousePressEvent(QMouseEvent* event)
{
    if (ViewTool* t = tool())
        t->mousePress(event);
}

void PictureArea::mouseMoveEvent(QMouseEvent* event)
{
    if (ViewTool* t = tool())
        t->mouseMove(event);
    emit pointerMoved(event->position());
}

void PictureArea::leaveEvent(QEvent*) { emit pointerLeft(); }

void PictureArea::mouseReleaseEvent(QMouseEvent* event)
{
    if (ViewTool* t = tool())
        t->mouseRelease(event);
    // A drag commits on release: what the point under the mouse shows and
    // where it looks may have changed although the mouse did not move.
    emit pointerMoved(event->position());
}

} // namespace karwen::views
