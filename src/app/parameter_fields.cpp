#include "parameter_fields.h"

#include "rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace karwen {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// True when text is sign? digits ('.' digits)? (e sign? digits)? with at
// least one mantissa digit. from_chars alone would also take "inf", "nan".
bool hasNumberSyntax(std::string_view text)
{
    std::size_t i = 0;
    const auto digitsFrom = [&] {
        const std::size_t start = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t mantissa = digitsFrom();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digitsFrom();
    }
    if (mantissa == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (digitsFrom() == 0)
            return false;
    }
    return i == text.size();
}

// Adds one to a string of decimal digits.
void incrementDigits(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

std::optional<double> parseNumber(std::string_view text)
{
    text = trimBlanks(text);
    if (!hasNumberSyntax(text))
        return std::nullopt;
    // from_chars takes no '+'; the syntax check has vetted the rest.
    if (text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int16_t> roundHalfEven16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = roundToEven(value);
    if (whole < std::numeric_limits<int16_t>::min() || whole > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(whole);
}

std::string formatFixed2(double value)
{
    if (!std::isfinite(value)) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.2f", value);
        return buffer;
    }
    // Rounded on the value's first 15 significant digits, the decimal a
    // person reads, so that 12.345 rounds up although its binary value lies
    // just below.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    std::string digits(1, buffer[0]);
    digits.append(buffer + 2, 14);
    const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);

    // hundredths = digits * 10^(exponent - 12), rounded half up.
    std::string hundredths;
    const int shift = exponent - 12;
    if (shift >= 0) {
        hundredths = digits + std::string(static_cast<std::size_t>(shift), '0');
    } else {
        const int dropped = -shift;
        if (dropped <= 15) {
            const std::size_t kept = static_cast<std::size_t>(15 - dropped);
            hundredths = kept > 0 ? digits.substr(0, kept) : std::string("0");
            if (digits[kept] >= '5')
                incrementDigits(hundredths);
        } else {
            hundredths = "0";
        }
    }
    const std::size_t firstNonZero = hundredths.find_first_not_of('0');
    hundredths.erase(0, firstNonZero == std::string::npos ? hundredths.size() : firstNonZero);
    const bool zero = hundredths.empty();
    if (hundredths.size() < 3)
        hundredths.insert(0, 3 - hundredths.size(), '0');

    std::string text = (value < 0 && !zero) ? "-" : "";
    text.append(hundredths, 0, hundredths.size() - 2);
    text += '.';
    text.append(hundredths, hundredths.size() - 2, 2);
    return text;
}

FieldBounds windowBounds(int32_t srcW, int32_t srcH)
{
    return {double(srcW), double(srcH), double(std::max(srcW, srcH)), 2048.0, 1024.0};
}

std::array<FieldRule, kEditableFields> fieldRules(const FieldBounds& b)
{
    return {{
        {Field::SrcCx, false, 0.0, true, b.srcX},
        {Field::SrcCy, false, 0.0, true, b.srcY},
        {Field::SrcR, false, 10.0, false, b.srcR},
        {Field::SrcRot, false, -180.0, true, 180.0},
        {Field::RefPointX, false, 0.0, true, b.srcX},
        {Field::RefPointY, false, 0.0, true, b.srcY},
        {Field::DstWidth, true, 8.0, true, b.dstSide},
        {Field::DstHeight, true, 8.0, true, b.dstSide},
        {Field::DstCx, false, 0.0, false, b.dstSide},
        {Field::DstCy, false, 0.0, false, b.dstSide},
        {Field::DstR, false, 10.0, false, b.dstR},
    }};
}

std::optional<double> fieldValue(const FieldRule& rule, std::string_view text)
{
    std::optional<double> value = parseNumber(text);
    if (!value)
        return std::nullopt;
    if (rule.integer) {
        const std::optional<int16_t> whole = roundHalfEven16(*value);
        if (!whole)
            return std::nullopt;
        value = *whole;
    }
    const bool aboveLow = rule.lowInclusive ? *value >= rule.low : *value > rule.low;
    if (!aboveLow || *value > rule.high)
        return std::nullopt;
    return value;
}

std::string allowedValuesText(const FieldRule& rule)
{
    const auto number = [](double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.10g", value);
        return std::string(text);
    };
    const std::string kind = rule.integer ? "a whole number" : "a number";
    if (rule.lowInclusive)
        return kind + " from " + number(rule.low) + " to " + number(rule.high);
    return kind + " above " + number(rule.low) + " and at most " + number(rule.high);
}

std::optional<Field> firstInvalid(const std::array<std::string, kEditableFields>& texts, const FieldBounds& bounds)
{
    for (const FieldRule& rule : fieldRules(bounds)) {
        if (!fieldValue(rule, texts[static_cast<std::size_t>(rule.field)]))
            return rule.field;
    }
    return std::nullopt;
}

} // namespace karwen
