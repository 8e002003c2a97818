#include "batch_measure_plan.h"

#include <QDir>
#include <QRegularExpression>

namespace karwen::ui {

QString defaultSkyFolder(const QString& csvPath)
{
    const QString path = QDir::fromNativeSeparators(csvPath);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    return QDir::toNativeSeparators(path.left(slash + 1) + stem + QStringLiteral("-sky"));
}

QString windowWords(const QString& line)
{
    static const QRegularExpression program(QStringLiteral("^karwen-cli [a-z-]+: "));
    static const QRegularExpression option(QStringLiteral("^--[a-z-]+: "));
    QString words = line;
    words.remove(program);
    words.remove(option);
    return words;
}

} // namespace karwen::ui
