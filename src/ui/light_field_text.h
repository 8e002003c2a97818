// How the Light part reads what is typed into its fields: numbers with a '.'
// or a ',' for decimals and, where a field allows them, a hemisphere letter
// instead of a sign ("50.2 N", "3.5 W"); a UTC offset as hours or h:mm with
// an optional "UTC" in front ("UTC+1", "-3:30"); a day as YYYY-MM-DD. Each
// reader gives the value or why there is none, in the user's words.
#pragma once

#include "calendar.h"

#include <QString>

#include <optional>
#include <variant>

namespace karwen::ui {

// What a reader found: the value, or why it is not one.
template <typename T> using Reading = std::variant<T, QString>;

// letters: the letter that keeps the sign and the one that turns it ("NS",
// "EW"), or empty for none.
[[nodiscard]] Reading<double> readNumber(const QString& text, const QString& letters = {});
[[nodiscard]] Reading<int> readWholeNumber(const QString& text);
[[nodiscard]] Reading<double> readUtcOffset(const QString& text);
// isFirst: the period's first day (for the words of a day that does not exist).
[[nodiscard]] Reading<light::Date> readDay(const QString& text, bool isFirst);

// The library's words as a sentence: a capital first, a full stop last.
[[nodiscard]] QString sentence(const std::string& words);

} // namespace karwen::ui
