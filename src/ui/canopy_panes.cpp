#include "canopy_panes.h"

#include <QBoxLayout>

#include <algorithm>

namespace karwen::ui {

namespace {
constexpr int kMargin = 4;
constexpr int kSpacing = 6;
} // namespace

CanopyPanes::CanopyPanes(
    QWidget* controls, QWidget* canopyFigures, QWidget* lightFigures, QWidget* pictures, QWidget* parent)
    : QWidget(parent)
    , top_(new QHBoxLayout)
    , bottom_(new QHBoxLayout)
    , controls_(controls)
    , canopyFigures_(canopyFigures)
    , lightFigures_(lightFigures)
    , pictures_(pictures)
{
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    rows->setSpacing(kSpacing);
    top_->setSpacing(kSpacing);
    bottom_->setSpacing(kSpacing);
    rows->addLayout(top_, 1);
    rows->addLayout(bottom_);
    arrange(false);
}

int CanopyPanes::rowWidth() const
{
    int width = 2 * kMargin + 3 * kSpacing;
    for (const QWidget* part : {controls_, canopyFigures_, lightFigures_, pictures_})
        width += part->sizeHint().width();
    return width;
}

void CanopyPanes::fitWidth(int width)
{
    const bool narrow = width < rowWidth();
    if (narrow != stacked_)
        arrange(narrow);
}

void CanopyPanes::arrange(bool stacked)
{
    stacked_ = stacked;
    for (QWidget* part : {controls_, canopyFigures_, lightFigures_, pictures_}) {
        top_->removeWidget(part);
        bottom_->removeWidget(part);
    }
    // Each row's parts share its width by their own, so that the two rows
    // need not line up. Stacked, the figures come first: a window lower than
    // both rows shows them, and the settings are a scroll away.
    QBoxLayout* settings = stacked ? bottom_ : top_;
    if (!stacked)
        top_->addWidget(controls_, 0);
    top_->addWidget(canopyFigures_, 3);
    top_->addWidget(lightFigures_, 2);
    if (stacked)
        bottom_->addWidget(controls_, 3);
    settings->addWidget(pictures_, 2);
    // Stacked, the window scrolls down to whole tables rather than squeeze
    // them; side by side they scroll their own rows.
    for (QWidget* table : {canopyFigures_, lightFigures_})
        table->setMinimumHeight(stacked ? table->sizeHint().height() : 0);
    // The rows' own sizes were kept; the whole asks them again.
    layout()->invalidate();
    updateGeometry();
}

} // namespace karwen::ui
