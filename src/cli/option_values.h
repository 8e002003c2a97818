// Reading the values of karwen-cli's options: whole numbers within bounds,
// the fields of the parameters window by their own rules, projection names.
// A value that is not allowed throws UsageError, whose text names the
// option and says what the value must be.
#pragma once

#include "parameter_fields.h"
#include "plain_text.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace karwen::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the command line accepts in a field, as its messages and help say:
// "from 0 to 32767", "above 10 and at most 16384", "a whole number from 8 to 16384".
[[nodiscard]] std::string commandLineBounds(Field field);

// The value of one field of the parameters form, under the command line's
// bounds (kCommandLineBounds), given as the part `what`
// (e.g. "CX") of the option's value.
[[nodiscard]] double fieldFrom(
    Field field, const std::string& text, const std::string& option, const std::string& what);
// The fields of a value whose parts are split by `separator`, one per name
// in `what`.
[[nodiscard]] std::vector<double> fieldsFrom(const std::vector<Field>& fields, const std::string& text, char separator,
    const std::string& option, const std::vector<std::string>& what);

[[nodiscard]] int wholeNumber(const std::string& text, int low, int high, const std::string& option);

// The number a text reads as: any number, or with whole only a whole one
// (and none far beyond every bound, so that it fits an int).
[[nodiscard]] std::optional<double> numberOf(const std::string& text, bool whole);

// The settings with one more value set from the text of an option (or of a
// part `what` of its value, such as "LAT"), kept when `valid` accepts them;
// `bounds` tells the user what is accepted.
template <typename Settings>
[[nodiscard]] Settings withPartValue(Settings settings, const std::string& text, bool whole,
    std::type_identity_t<void (*)(Settings&, double)> set, std::type_identity_t<bool (*)(const Settings&)> valid,
    const std::string& option, const std::string& what, const std::string& bounds)
{
    if (const std::optional<double> value = numberOf(text, whole)) {
        set(settings, *value);
        if (valid(settings))
            return settings;
    }
    throw UsageError(option + ": " + (what.empty() ? "" : what + " ") + "\"" + text + "\" must be " + bounds);
}
// The same for a whole option's text; an option not given (empty text)
// leaves the settings as they are.
template <typename Settings>
[[nodiscard]] Settings withOptionValue(Settings settings, const std::string& text, bool whole,
    std::type_identity_t<void (*)(Settings&, double)> set, std::type_identity_t<bool (*)(const Settings&)> valid,
    const std::string& option, const std::string& bounds)
{
    return text.empty() ? settings : withPartValue(settings, text, whole, set, valid, option, "", bounds);
}
// Any number the parameter fields accept; `bounds` ends the message when
// the text is none ("must be a number <bounds>").
[[nodiscard]] double anyNumber(const std::string& text, const std::string& option, const std::string& bounds);

// Which projections an option names: those a photo may have, those a
// conversion may make, or those only a conversion may make.
enum class ProjectionsNamed { Sources, Results, ResultsOnly };
// The projection code for a key of the table of projections (or its short
// key, "equisolid"), in any case.
[[nodiscard]] int32_t projectionFrom(const std::string& text, ProjectionsNamed which, const std::string& option);
// The keys such an option takes, as the help and the messages list them:
// "orthographic, equisolidangle (or equisolid), ...".
[[nodiscard]] std::string projectionKeys(ProjectionsNamed which);

} // namespace karwen::cli
