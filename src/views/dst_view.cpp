#include "dst_view.h"

#include "mdl_karwen.h"

namespace karwen::views {

DstView::DstView(QWidget* parent)
    : ImageView(QStringLiteral("Dst"), parent)
    , tool_(*this)
{
    setObjectName(QStringLiteral("frmDst"));
}

void DstView::set_AreaParamXYD()
{
    if (placeDots_)
        placeDots_(*this);
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
