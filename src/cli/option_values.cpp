#include "option_values.h"

#include "projection_model.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace karwen::cli {

namespace {

// "above 10 and at most 16384", "from 0 to 32767", "a whole number from 8 to 16384".
std::string boundsText(const FieldRule& rule)
{
    const std::string range = rule.lowInclusive
        ? "from " + numberText(rule.low) + " to " + numberText(rule.high)
        : "above " + numberText(rule.low) + " and at most " + numberText(rule.high);
    return rule.integer ? "a whole number " + range : range;
}

} // namespace

std::string commandLineBounds(Field field)
{
    return boundsText(fieldRules(kCommandLineBounds)[static_cast<std::size_t>(field)]);
}

double fieldFrom(Field field, const std::string& text, const std::string& option, const std::string& what)
{
    const std::array<FieldRule, kEditableFields> rules = fieldRules(kCommandLineBounds);
    const FieldRule& rule = rules[static_cast<std::size_t>(field)];
    if (const std::optional<double> value = fieldValue(rule, text))
        return *value;
    throw UsageError(option + ": " + what + " \"" + text + "\" must be " + boundsText(rule));
}

std::vector<double> fieldsFrom(const std::vector<Field>& fields, const std::string& text, char separator,
    const std::string& option, const std::vector<std::string>& what)
{
    const std::vector<std::string> parts = splitAt(text, separator);
    if (parts.size() != fields.size()) {
        std::string shape;
        for (const std::string& w : what)
            shape += (shape.empty() ? "" : std::string(1, separator)) + w;
        throw UsageError(option + ": \"" + text + "\" is not of the form " + shape);
    }
    std::vector<double> values;
    for (std::size_t i = 0; i < parts.size(); ++i)
        values.push_back(fieldFrom(fields[i], parts[i], option, what[i]));
    return values;
}

int wholeNumber(const std::string& text, int low, int high, const std::string& option)
{
    const std::optional<double> value = parseNumber(text);
    if (!value || *value != std::floor(*value) || *value < low || *value > high)
        throw UsageError(option + ": \"" + text + "\" must be a whole number from " + std::to_string(low) + " to "
            + std::to_string(high));
    return static_cast<int>(*value);
}

std::optional<double> numberOf(const std::string& text, bool whole)
{
    // Whole numbers far beyond every bound are refused before they become ints.
    constexpr double kLargestWhole = 1e9;
    const std::optional<double> value = parseNumber(text);
    if (!value || (whole && (*value != std::floor(*value) || std::abs(*value) >= kLargestWhole)))
        return std::nullopt;
    return value;
}

double anyNumber(const std::string& text, const std::string& option, const std::string& bounds)
{
    const std::optional<double> value = parseNumber(text);
    if (!value)
        throw UsageError(option + ": \"" + text + "\" must be a number " + bounds);
    return *value;
}

namespace {

// Lens rows are named by --src-lens, not by a projection key.
bool isNamed(const ProjectionKind& kind, ProjectionsNamed which)
{
    switch (which) {
    case ProjectionsNamed::Sources:
        return !kind.lens && kind.fisheye;
    case ProjectionsNamed::Results:
        return !kind.lens;
    case ProjectionsNamed::ResultsOnly:
        return !kind.lens && !kind.fisheye;
    }
    return false;
}

} // namespace

int32_t projectionFrom(const std::string& text, ProjectionsNamed which, const std::string& option)
{
    const std::string name = lowered(text);
    for (const ProjectionKind& kind : kProjectionKinds) {
        if (isNamed(kind, which) && (name == kind.key || (*kind.shortKey && name == kind.shortKey)))
            return kind.code;
    }
    std::string known, shortKeys;
    for (const ProjectionKind& kind : kProjectionKinds) {
        if (!isNamed(kind, which))
            continue;
        known += (known.empty() ? "" : ", ") + std::string(kind.key);
        if (*kind.shortKey)
            shortKeys += (shortKeys.empty() ? "" : ", ") + std::string(kind.shortKey);
    }
    throw UsageError(
        option + ": \"" + text + "\" is none of " + known + (shortKeys.empty() ? "" : " (or " + shortKeys + ")"));
}

std::string projectionKeys(ProjectionsNamed which)
{
    std::string keys;
    for (const ProjectionKind& kind : kProjectionKinds) {
        if (!isNamed(kind, which))
            continue;
        keys += (keys.empty() ? "" : ", ") + std::string(kind.key);
        if (*kind.shortKey)
            keys += " (or " + std::string(kind.shortKey) + ")";
    }
    return keys;
}

} // namespace karwen::cli
