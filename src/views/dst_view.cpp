#include "dst_view.h"

#include "file_path.h"
#include "mdl_karwen.h"

namespace karwen::views {

DstView::DstView(QWidget* parent)
    : ImageView(QStringLiteral("Dst"), parent)
    , grid_(*this)
    , area_(*this)
{
    setObjectName(QStringLiteral("frmDst"));
}

DstView::ViewCircle DstView::destinationCircle() const
{
    // Rounded to single precision, like the dot positions in DotX and DotY.
    const ViewMapping m = mapping();
    const QPointF centre = mapToView(m, {DstPrm.Cx, DstPrm.Cy});
    return {QPointF(static_cast<float>(centre.x()), static_cast<float>(centre.y())),
        static_cast<float>(double(m.scale) * DstPrm.R)};
}

ViewTool* DstView::currentTool()
{
    if (AreaOn)
        return &area_;
    return &grid_;
}

void DstView::set_AreaParamXYD()
{
    if (AreaOn)
        AreaTool::placeDots(*this);
}

void DstView::setAreaLoadWork(std::function<void()> beforePlace, std::function<void()> afterScale)
{
    areaBeforePlace_ = std::move(beforePlace);
    areaAfterScale_ = std::move(afterScale);
}

int32_t DstView::imageHandle() const { return hDst; }

QSize DstView::imageSize() const { return {DstW, DstH}; }

QString DstView::caption(const QString& percent) const
{
    const QString name = DstFile.empty() ? QStringLiteral("New") : QString::fromStdString(get_fname(DstFile));
    return name + QStringLiteral(" - Destination(") + percent + QStringLiteral("%)");
}

void DstView::beforePlace()
{
    if (areaBeforePlace_)
        areaBeforePlace_();
}

void DstView::afterLoadScale()
{
    if (areaAfterScale_)
        areaAfterScale_();
}

} // namespace karwen::views
