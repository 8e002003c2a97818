#include "calendar.h"

#include <cstdio>

namespace karwen::light {

namespace {

constexpr int kMinYear = 1, kMaxYear = 9999;

// A field of exactly `digits` decimal digits, nothing else.
std::optional<int> fixedDigits(std::string_view text, std::size_t digits)
{
    if (text.size() != digits)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The last day FROM's period may reach: the same day kMaxPeriodYears later.
// Dates compare field by field, so a 29 February that year lacks lets the
// period end on the 28th and no later.
Date latestEnd(const Date& from) { return {from.year + kMaxPeriodYears, from.month, from.day}; }

} // namespace

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValidDate(const Date& d)
{
    return d.year >= kMinYear && d.year <= kMaxYear && d.month >= 1 && d.month <= 12 && d.day >= 1
        && d.day <= daysInMonth(d.year, d.month);
}

// The civil-from-days algorithms count in 400-year eras of 146097 days from
// a year starting in March, so that the leap day ends the year.
long dayNumber(const Date& d)
{
    const long year = d.month <= 2 ? d.year - 1 : d.year;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long monthFromMarch = d.month > 2 ? d.month - 3 : d.month + 9;
    const long dayOfEraYear = (153 * monthFromMarch + 2) / 5 + d.day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfEraYear;
    return era * 146097 + dayOfEra - 719468;
}

Date dateOfDay(long days)
{
    const long z = days + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long dayOfEra = z - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfEraYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long monthFromMarch = (5 * dayOfEraYear + 2) / 153;
    const long day = dayOfEraYear - (153 * monthFromMarch + 2) / 5 + 1;
    const long month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {int(year), int(month), int(day)};
}

Date nextDay(const Date& d) { return dateOfDay(dayNumber(d) + 1); }

int dayOfYear(const Date& d) { return int(dayNumber(d) - dayNumber(Date{d.year, 1, 1})) + 1; }

std::optional<Date> parseDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const auto year = fixedDigits(text.substr(0, 4), 4);
    const auto month = fixedDigits(text.substr(5, 2), 2);
    const auto day = fixedDigits(text.substr(8, 2), 2);
    if (!year || !month || !day)
        return std::nullopt;
    const Date d{*year, *month, *day};
    if (!isValidDate(d))
        return std::nullopt;
    return d;
}

std::string dateText(const Date& d)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

std::string periodProblem(const Period& p)
{
    if (!isValidDate(p.from))
        return "the period's first day " + dateText(p.from) + " does not exist";
    if (!isValidDate(p.to))
        return "the period's last day " + dateText(p.to) + " does not exist";
    if (p.to < p.from)
        return "the period's last day " + dateText(p.to) + " comes before its first day " + dateText(p.from);
    if (p.to > latestEnd(p.from))
        return "the period may last at most " + std::to_string(kMaxPeriodYears) + " years";
    return "";
}

int dayCount(const Period& p) { return int(dayNumber(p.to) - dayNumber(p.from)) + 1; }

std::optional<Period> parsePeriod(std::string_view text)
{
    const auto dots = text.find("..");
    if (dots == std::string_view::npos) {
        const auto day = parseDate(text);
        if (!day)
            return std::nullopt;
        return Period{*day, *day};
    }
    const auto from = parseDate(text.substr(0, dots));
    const auto to = parseDate(text.substr(dots + 2));
    if (!from || !to)
        return std::nullopt;
    return Period{*from, *to};
}

std::string periodText(const Period& p) { return dateText(p.from) + ".." + dateText(p.to); }

} // namespace karwen::light
