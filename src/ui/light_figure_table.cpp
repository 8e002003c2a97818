#include "light_figure_table.h"

#include "figure_words.h"
#include "table_size.h"

#include <QHeaderView>

#include <cmath>

namespace karwen::ui {

namespace {

using light::LightFigures;

struct LightFigureRow {
    const char* name;
    const char* unit;
    const char* tip;
    int decimals;
    double (*of)(const LightFigures&);
};

constexpr const char* kEnergy = "MJ/m\u00B2/d";

const LightFigureRow kRows[] = {
    {"DSF", "", "Direct site factor: the share of the beam above the canopy that reaches the ground", 3,
        [](const LightFigures& f) { return f.dsf; }},
    {"ISF", "", "Indirect site factor: the share of the diffuse light above the canopy that reaches the ground", 3,
        [](const LightFigures& f) { return f.isf; }},
    {"TSF", "", "Total site factor: the share of all the light above the canopy that reaches the ground", 3,
        [](const LightFigures& f) { return f.tsf; }},
    {"trans direct", "%", "The beam below the canopy as a share of the beam above it", 1,
        [](const LightFigures& f) { return f.transDirect; }},
    {"trans diffuse", "%", "The diffuse light below the canopy as a share of that above it", 1,
        [](const LightFigures& f) { return f.transDiffuse; }},
    {"trans total", "%", "All the light below the canopy as a share of that above it", 1,
        [](const LightFigures& f) { return f.transTotal; }},
    {"above direct", kEnergy, "The beam on a level surface above the canopy, a day on average", 2,
        [](const LightFigures& f) { return f.aboveDirect; }},
    {"above diffuse", kEnergy, "The diffuse light on a level surface above the canopy, a day on average", 2,
        [](const LightFigures& f) { return f.aboveDiffuse; }},
    {"above total", kEnergy, "The global radiation above the canopy: Kt times H0", 2,
        [](const LightFigures& f) { return f.aboveTotal; }},
    {"below direct", kEnergy, "The beam that reaches the ground below the canopy, a day on average", 2,
        [](const LightFigures& f) { return f.belowDirect; }},
    {"below diffuse", kEnergy, "The diffuse light that reaches the ground below the canopy", 2,
        [](const LightFigures& f) { return f.belowDiffuse; }},
    {"below total", kEnergy, "All the radiation that reaches the ground below the canopy", 2,
        [](const LightFigures& f) { return f.belowTotal; }},
    {"below PAR", "mol/m\u00B2/d", "Photosynthetically active photons reaching the ground below the canopy", 2,
        [](const LightFigures& f) { return f.belowPar; }},
    {"sun hours", "h/d", "Hours a day with the sun above the horizon", 2,
        [](const LightFigures& f) { return f.sunHours; }},
    {"direct sun hours", "h/d", "Hours a day with the sun in a gap of the canopy", 2,
        [](const LightFigures& f) { return f.directSunHours; }},
    {"beam fraction", "", "The beam's share of the global radiation used: fixed, or from Kt", 3,
        [](const LightFigures& f) { return f.beamFraction; }},
    {"beam coverage", "", "The share of the beam above the canopy from parts of the sky the photo shows", 3,
        [](const LightFigures& f) { return f.beamCoverage; }},
    {"diffuse coverage", "", "The share of the diffuse light above the canopy from parts of the sky the photo shows", 3,
        [](const LightFigures& f) { return f.diffuseCoverage; }},
    {"H0", kEnergy, "The extraterrestrial radiation on a level surface at the site, a day on average", 2,
        [](const LightFigures& f) { return f.h0; }},
};

} // namespace

LightFigureTable::LightFigureTable(QWidget* parent)
    : QTableWidget(int(std::size(kRows)), 2, parent)
{
    setObjectName(QStringLiteral("grdLight"));
    setHorizontalHeaderLabels({QStringLiteral("light"), QStringLiteral("unit")});
    horizontalHeaderItem(kValue)->setToolTip(QStringLiteral("Period means per day, from every pixel of the photo"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    // Columns as wide as the widest value and unit, whatever is shown.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(kValue, fontMetrics().horizontalAdvance(QStringLiteral("0000.000")) + 10);
    setColumnWidth(kUnit, fontMetrics().horizontalAdvance(QStringLiteral("mol/m\u00B2/d")) + 12);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    for (int row = 0; row < rowCount(); ++row) {
        const LightFigureRow& figure = kRows[row];
        auto* name = new QTableWidgetItem(QString::fromUtf8(figure.name));
        name->setToolTip(QString::fromUtf8(figure.tip));
        setVerticalHeaderItem(row, name);
        auto* value = new QTableWidgetItem(kNoFigure);
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setItem(row, kValue, value);
        setItem(row, kUnit, new QTableWidgetItem(QString::fromUtf8(figure.unit)));
    }
    setToolTip(QStringLiteral("Light under the canopy for the settings of the Light tab"));
    setMinimumWidth(sizeHint().width());
}

void LightFigureTable::showFigures(const LightFigures* figures)
{
    for (int row = 0; row < rowCount(); ++row) {
        const double value = figures ? kRows[row].of(*figures) : NAN;
        const QString text = figureText(value, kRows[row].decimals);
        if (item(row, kValue)->text() != text)
            item(row, kValue)->setText(text);
    }
}

int LightFigureTable::rowOf(const QString& figure) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (verticalHeaderItem(row)->text() == figure)
            return row;
    return -1;
}

QString LightFigureTable::text(const QString& figure) const
{
    const int row = rowOf(figure);
    return row < 0 ? QString() : item(row, kValue)->text();
}

QString LightFigureTable::nameTip(const QString& figure) const
{
    const int row = rowOf(figure);
    return row < 0 ? QString() : verticalHeaderItem(row)->toolTip();
}

QStringList LightFigureTable::names() const
{
    QStringList all;
    for (const LightFigureRow& figure : kRows)
        all << QString::fromUtf8(figure.name);
    return all;
}

QSize LightFigureTable::sizeHint() const { return wholeTableSize(*this, columnWidth(kValue) + columnWidth(kUnit)); }

} // namespace karwen::ui
