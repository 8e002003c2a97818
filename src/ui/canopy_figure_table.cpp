#include "canopy_figure_table.h"

#include "figure_words.h"
#include "reported_figures.h"
#include "table_size.h"

#include <QHeaderView>

#include <algorithm>
#include <cmath>
#include <optional>

namespace karwen::ui {

namespace {

using canopy::DotFigures;
using canopy::Estimate;
using canopy::PixelFigures;

// The rows before the rings' gap fractions.
enum Row { kThreshold, kOpenness, kDifn, kLe, kL, kLx, kEffectiveDots, kDotsOutside, kFirstRing };

constexpr int kFractionDecimals = 3;
constexpr int kIndexDecimals = 2;

QString interval(const Estimate& e, int decimals)
{
    return figureText(e.lo, decimals) + QStringLiteral("\u2013") + figureText(e.hi, decimals);
}

// The names as a canopy field sheet writes them, each with what it is.
struct FigureName {
    const char* name;
    const char* tip;
};
constexpr FigureName kNames[] = {
    {"threshold", "The threshold on the linearised values: a pixel or dot above it is sky"},
    {"openness",
        "Share of the hemisphere (zenith 0\u00B0 to 90\u00B0) that is sky, each pixel or dot weighted "
        "by the sky it covers"},
    {"DIFN",
        "Diffuse non-interceptance: the share of light from an evenly bright sky that passes the canopy, "
        "from the rings' gap fractions"},
    {"Le",
        "Effective leaf area index: leaf area per ground area from the rings' gap fractions, the leaves taken "
        "as placed at random"},
    {"L", "Leaf area index with clumping allowed for: as Le, each ring's gaps taken sector by sector"},
    {"LX", "Clumping index Le / L: 1 for leaves placed at random, below 1 where they clump"},
    {"effective dots",
        "How many equally weighted dots the dots are worth (Kish's effective sample size); the "
        "95 % intervals rest on it"},
    {"dots outside", "Dots whose point falls off the photo, left out of both figures from the dots"},
};
static_assert(std::size(kNames) == kFirstRing);

// A figure that is only a bound: its value, and the whole wording as tip.
void showBound(QTableWidgetItem* cell, const canopy::FloorBound& bound, const QString& unit)
{
    cell->setText(boundValue(bound, kIndexDecimals));
    cell->setToolTip(boundText(bound, kIndexDecimals, unit));
}

} // namespace

CanopyFigureTable::CanopyFigureTable(QWidget* parent)
    : QTableWidget(0, 3, parent)
{
    setObjectName(QStringLiteral("grdFigures"));
    setHorizontalHeaderLabels({QStringLiteral("pixels"), QStringLiteral("dots"), QStringLiteral("dots 95 %")});
    horizontalHeaderItem(kPixels)->setToolTip(QStringLiteral("From every pixel of the photo inside the circle"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    // Every column as wide as its texts ("at least 6.67" among them), the
    // interval's taking what is left.
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setToolTip(QStringLiteral("Figures from every pixel of the photo, and from the sample dots of the destination"));
    setRows(canopy::CanopySettings{}.rings, canopy::CanopySettings{}.maxZenithDeg);
    // Never narrower than the widest texts its columns show.
    setMinimumWidth(sizeHint().width());
}

void CanopyFigureTable::setRows(int rings, double maxZenithDeg)
{
    if (rowCount() == kFirstRing + rings && maxZenith_ == maxZenithDeg)
        return;
    maxZenith_ = maxZenithDeg;
    QStringList names;
    for (const FigureName& figure : kNames)
        names << QLatin1String(figure.name);
    const double width = maxZenithDeg / rings;
    for (int k = 0; k < rings; ++k)
        names << QStringLiteral("gf %1").arg(k + 1);
    setRowCount(int(names.size()));
    setVerticalHeaderLabels(names);
    for (int row = 0; row < kFirstRing; ++row)
        verticalHeaderItem(row)->setToolTip(QString::fromUtf8(kNames[row].tip));
    for (int k = 0; k < rings; ++k)
        verticalHeaderItem(kFirstRing + k)
            ->setToolTip(QStringLiteral("Gap fraction of zenith %1\u00B0 to %2\u00B0")
                             .arg(QString::number(k * width, 'g', 3), QString::number((k + 1) * width, 'g', 3)));
    for (int row = 0; row < rowCount(); ++row)
        for (int column = 0; column < columnCount(); ++column) {
            auto* cell = new QTableWidgetItem(kNoFigure);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            setItem(row, column, cell);
        }
}

void CanopyFigureTable::setCell(int row, Column column, const QString& text)
{
    if (QTableWidgetItem* cell = item(row, column)) {
        if (cell->text() != text)
            cell->setText(text);
        cell->setToolTip({});
    }
}

void CanopyFigureTable::explainMissingDots(const QString& why)
{
    for (int row = 0; row < rowCount(); ++row)
        for (const Column column : {kDots, kInterval})
            if (QTableWidgetItem* cell = item(row, column))
                cell->setToolTip(why);
}

void CanopyFigureTable::showFigures(
    const PixelFigures* pixels, const DotFigures* dots, canopy::DotOrigin origin, int rings, double maxZenithDeg)
{
    setRows(rings, maxZenithDeg);
    const bool dotsView = origin == canopy::DotOrigin::DotsView;
    horizontalHeaderItem(kDots)->setText(dotsView ? QStringLiteral("equisolid dots") : QStringLiteral("dots"));
    horizontalHeaderItem(kDots)->setToolTip(dotsView
            ? QStringLiteral("From the 1000 dots of an equisolid view made through the same circle, as the "
                             "command line reads them, classified by the threshold: the destination's dots "
                             "give no Le")
            : QStringLiteral("From the 1000 sample dots of the destination view, by their classes"));
    const bool p = pixels && pixels->status == canopy::PixelStatus::Ok;
    setCell(kThreshold, kPixels, p ? QString::number(pixels->threshold) : kNoFigure);
    setCell(kOpenness, kPixels, p ? figureText(pixels->openness, kFractionDecimals) : kNoFigure);
    setCell(kDifn, kPixels, p ? figureText(pixels->difn, kFractionDecimals) : kNoFigure);
    setCell(kLe, kPixels, p ? figureText(canopy::reportedLe(*pixels), kIndexDecimals) : kNoFigure);
    setCell(kL, kPixels, p ? figureText(canopy::reportedL(*pixels), kIndexDecimals) : kNoFigure);
    setCell(kLx, kPixels, p ? figureText(canopy::reportedLx(*pixels), kIndexDecimals) : kNoFigure);
    if (p && pixels->leBound)
        showBound(item(kLe, kPixels), *pixels->leBound, QStringLiteral("pixel"));
    if (p && pixels->lBound)
        showBound(item(kL, kPixels), *pixels->lBound, QStringLiteral("pixel"));
    if (p && pixels->saturated)
        item(kLx, kPixels)->setToolTip(QStringLiteral("No LX: Le and L are bounds only"));
    for (int k = 0; k < rings; ++k) {
        const auto i = std::size_t(k);
        setCell(kFirstRing + k, kPixels,
            p && i < pixels->ringGap.size() ? figureText(pixels->ringGap[i], kFractionDecimals) : kNoFigure);
    }

    const bool d = dots && dots->status == canopy::DotStatus::Ok;
    setCell(kOpenness, kDots, d ? figureText(dots->openness.value, kFractionDecimals) : kNoFigure);
    setCell(kOpenness, kInterval, d ? interval(dots->openness, kFractionDecimals) : kNoFigure);
    const bool le = d && dots->le.has_value();
    const std::optional<Estimate> dotsLe = le ? std::optional(canopy::reportedLe(*dots)) : std::nullopt;
    setCell(kLe, kDots, le ? figureText(dotsLe->value, kIndexDecimals) : kNoFigure);
    setCell(kLe, kInterval, le ? interval(*dotsLe, kIndexDecimals) : kNoFigure);
    if (le && dots->leBound) {
        showBound(item(kLe, kDots), *dots->leBound, QStringLiteral("dot"));
        setCell(kLe, kInterval, QStringLiteral("\u2265 ") + figureText(dotsLe->lo, kIndexDecimals));
    }
    setCell(kEffectiveDots, kDots, d ? figureText(dots->effectiveDots, 0) : kNoFigure);
    setCell(kDotsOutside, kDots, d ? QString::number(dots->outside) : kNoFigure);
}

QSize CanopyFigureTable::sizeHint() const
{
    // The widest texts: a bound in the pixels' and the dots' columns, an
    // interval in the last; the headers' own names.
    const QFontMetrics& cells = fontMetrics();
    const QFontMetrics headers = horizontalHeader()->fontMetrics();
    const auto column = [&](const QString& widest, const QString& header) {
        return std::max(cells.horizontalAdvance(widest), headers.horizontalAdvance(header)) + 12;
    };
    const QString bound = QStringLiteral("at least 00.00");
    const int columns = column(bound, QStringLiteral("pixels")) + column(bound, QStringLiteral("equisolid dots"))
        + column(QStringLiteral("0.000\u20130.000"), QStringLiteral("dots 95 %"));
    return wholeTableSize(*this, columns);
}

QTableWidgetItem* CanopyFigureTable::cell(const QString& figure, Column column) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (verticalHeaderItem(row)->text() == figure)
            return item(row, column);
    return nullptr;
}

QString CanopyFigureTable::text(const QString& figure, Column column) const
{
    const QTableWidgetItem* found = cell(figure, column);
    return found ? found->text() : QString();
}

QString CanopyFigureTable::nameTip(const QString& figure) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (verticalHeaderItem(row)->text() == figure)
            return verticalHeaderItem(row)->toolTip();
    return {};
}

} // namespace karwen::ui
