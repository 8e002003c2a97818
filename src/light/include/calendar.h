// Civil dates of the proleptic Gregorian calendar, as a period of a light
// run names its days: whole days counted from a fixed origin so that a
// period over the year end or a leap day needs no special case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace karwen::light {

struct Date {
    int year = 2000;
    int month = 1; // 1..12
    int day = 1;   // 1..daysInMonth

    friend bool operator==(const Date&, const Date&) = default;
    friend auto operator<=>(const Date&, const Date&) = default;
};

[[nodiscard]] bool isLeapYear(int year);
[[nodiscard]] int daysInMonth(int year, int month);
// A year 1..9999, a month 1..12 and a day the month has.
[[nodiscard]] bool isValidDate(const Date& d);

// Days since 1970-01-01 (negative before), and back.
[[nodiscard]] long dayNumber(const Date& d);
[[nodiscard]] Date dateOfDay(long dayNumber);
[[nodiscard]] Date nextDay(const Date& d);
// Day of the year, 1 on 1 January.
[[nodiscard]] int dayOfYear(const Date& d);

// "YYYY-MM-DD", four digits, two, two, nothing else; a date that does not
// exist (2021-02-29) gives none.
[[nodiscard]] std::optional<Date> parseDate(std::string_view text);
[[nodiscard]] std::string dateText(const Date& d);

// Both days included.
struct Period {
    Date from, to;

    friend bool operator==(const Period&, const Period&) = default;
};

inline constexpr int kMaxPeriodYears = 10;

// Why the period cannot be used ("" when it can): a day that does not
// exist, TO before FROM, or TO more than kMaxPeriodYears years after FROM
// (29 February counts as 28 February there).
[[nodiscard]] std::string periodProblem(const Period& p);
// The number of days, both ends included.
[[nodiscard]] int dayCount(const Period& p);
// "FROM..TO", or one date alone for one day; none for text that is neither
// (the dates are not checked beyond existing: see periodProblem).
[[nodiscard]] std::optional<Period> parsePeriod(std::string_view text);
// "FROM..TO" always, as the CSV writes it.
[[nodiscard]] std::string periodText(const Period& p);

} // namespace karwen::light
