#include "figure_words.h"

#include <QStringList>

namespace karwen::ui {

namespace {

// "2", "2 and 3", "2, 3 and 5"
QString series(const QStringList& items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + items.last();
}

} // namespace

QString boundValue(const canopy::FloorBound& bound, int decimals)
{
    return QStringLiteral("at least ") + QString::number(bound.atLeast, 'f', decimals);
}

QString cellsWithoutSky(const canopy::FloorBound& bound)
{
    if (bound.empty.empty())
        return {};
    const canopy::EmptyCell& first = bound.empty.front();
    if (first.sector >= 0) {
        if (bound.empty.size() == 1)
            return QStringLiteral("ring %1, sector %2 has no sky").arg(first.ring + 1).arg(first.sector + 1);
        return QStringLiteral("%1 sectors have no sky").arg(bound.empty.size());
    }
    QStringList rings;
    for (const canopy::EmptyCell& cell : bound.empty)
        rings << QString::number(cell.ring + 1);
    return rings.size() == 1 ? QStringLiteral("ring %1 has no sky").arg(rings[0])
                             : QStringLiteral("rings %1 have no sky").arg(series(rings));
}

QString boundText(const canopy::FloorBound& bound, int decimals, const QString& unit)
{
    const QString counted = bound.empty.size() == 1 ? QStringLiteral("counted as one %1's share").arg(unit)
                                                    : QStringLiteral("each counted as one %1's share").arg(unit);
    return QStringLiteral("%1 (%2; %3)").arg(boundValue(bound, decimals), cellsWithoutSky(bound), counted);
}

} // namespace karwen::ui
