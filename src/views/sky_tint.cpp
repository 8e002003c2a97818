#include "sky_tint.h"

#include "image_view.h"

#include <QPainter>

namespace karwen::views {

SkyTint::SkyTint(ImageView& view, ViewTool& under)
    : view_(view)
    , under_(under)
{
}

void SkyTint::paint(QImage& canvas)
{
    if (!tint_.isNull()) {
        // The image's top-left and bottom-right corners, y counted upward.
        const ViewMapping m = view_.mapping();
        const QPointF topLeft = mapToView(m, QPointF(0.0, tint_.height()));
        const QPointF bottomRight = mapToView(m, QPointF(tint_.width(), 0.0));
        QPainter painter(&canvas);
        painter.drawImage(QRectF(topLeft, bottomRight), tint_);
    }
    under_.paint(canvas);
}

} // namespace karwen::views
