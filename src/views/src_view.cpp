#include "src_view.h"

#include "file_path.h"
#include "mdl_karwen.h"

namespace karwen::views {

SrcView::SrcView(QWidget* parent)
    : ImageView(QStringLiteral("Src"), parent)
    , tool_(*this)
    , tracks_(*this, tool_)
    , tint_(*this, tracks_)
{
    setObjectName(QStringLiteral("frmSrc"));
}

float SrcView::zoomForSize(int width, int height)
{
    if (width > 1024 || height > 1024)
        return 0.25f;
    if (width > 512 || height > 512)
        return 0.5f;
    return 1.0f;
}

void SrcView::setSkyTint(QImage tint)
{
    if (tint.isNull() && tint_.tint().isNull())
        return;
    tint_.setTint(std::move(tint));
    pct_update();
}

void SrcView::setSunTracks(SunTracks tracks)
{
    if (tracks.empty() && !showsSunTracks())
        return;
    tracks_.setTracks(std::move(tracks.days));
    tool_.setCompass(tracks.horizon);
    pct_update();
}

int32_t SrcView::imageHandle() const { return hSrc; }

QSize SrcView::imageSize() const { return {SrcW, SrcH}; }

QString SrcView::caption(const QString& percent) const
{
    return QString::fromStdString(get_fname(SrcFile)) + QStringLiteral(" - Source(") + percent + QStringLiteral("%)");
}

float SrcView::loadScale() const { return zoomForSize(SrcW, SrcH); }

} // namespace karwen::views
