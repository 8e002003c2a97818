#include "light_field_text.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace karwen::ui {

namespace {

QString quoted(const QString& text) { return QStringLiteral("\u201C%1\u201D").arg(text); }

std::optional<double> plainNumber(QString text)
{
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    text.replace(QChar(0x2212), QLatin1Char('-')); // a typographic minus
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

Reading<double> readNumber(const QString& typed, const QString& letters)
{
    QString text = typed.trimmed();
    double sign = 1.0;
    if (letters.size() == 2 && !text.isEmpty()) {
        const QChar last = text.back().toUpper();
        if (last == letters[0] || last == letters[1]) {
            sign = last == letters[0] ? 1.0 : -1.0;
            text.chop(1);
            text = text.trimmed();
            if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')))
                return QStringLiteral("Give either a sign or %1 / %2, not both.").arg(letters[0], letters[1]);
        }
    }
    const std::optional<double> value = plainNumber(text);
    if (!value)
        return QStringLiteral("%1 is not a number.").arg(quoted(typed.trimmed()));
    return sign * *value;
}

Reading<int> readWholeNumber(const QString& typed)
{
    const Reading<double> number = readNumber(typed);
    if (const QString* why = std::get_if<QString>(&number))
        return *why;
    const double value = std::get<double>(number);
    if (value != std::round(value) || std::abs(value) > std::numeric_limits<int>::max())
        return QStringLiteral("Give a whole number.");
    return int(value);
}

Reading<double> readUtcOffset(const QString& typed)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:UTC|GMT)?\\s*([+\\-\u2212]?)\\s*(\\d+(?:[.,]\\d+)?)(?::(\\d\\d))?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = typed.trimmed();
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return QStringLiteral("%1 is not an offset from UTC: give hours such as +1, -3.5 or +5:30.").arg(quoted(text));
    double hours = *plainNumber(m.captured(2));
    if (m.hasCaptured(3)) {
        if (hours != std::round(hours))
            return QStringLiteral("Give the minutes after whole hours, as +5:30.");
        const int minutes = m.captured(3).toInt();
        if (minutes >= 60)
            return QStringLiteral("An hour has 60 minutes: %1 is not an offset.").arg(quoted(text));
        hours += minutes / 60.0;
    }
    const bool negative = m.captured(1) == QLatin1String("-") || m.captured(1) == QString(QChar(0x2212));
    return negative ? -hours : hours;
}

Reading<light::Date> readDay(const QString& typed, bool isFirst)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QString text = typed.trimmed();
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return QStringLiteral("Write the day as YYYY-MM-DD, as 2021-05-01.");
    const light::Date day{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
    if (!light::isValidDate(day)) {
        // The calendar's own words; a day that exists at the other end keeps
        // that end out of them.
        const light::Date anyDay{2000, 1, 1};
        return sentence(light::periodProblem(isFirst ? light::Period{day, day} : light::Period{anyDay, day}));
    }
    return day;
}

QString sentence(const std::string& words)
{
    QString text = QString::fromStdString(words);
    if (text.isEmpty())
        return text;
    text[0] = text[0].toUpper();
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}

} // namespace karwen::ui
