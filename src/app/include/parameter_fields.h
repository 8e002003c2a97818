// The parameters dialog's field rules without any widget: how a field's text
// is read as a number, how a value is shown, and which values each editable
// field accepts. The dialog (and the batch dialog's twin fields) build on it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace karwen {

// A number as the C locale writes it: optional sign, digits with an optional
// '.' fraction, optional exponent; blanks (space, tab) around it allowed,
// nothing else. Infinities, NaN, hex and digit grouping are not numbers.
[[nodiscard]] std::optional<double> parseNumber(std::string_view text);

// The nearest integer, a half going to the even neighbour (7.5 -> 8,
// 6.5 -> 6); nothing when the result does not fit a 16-bit integer.
[[nodiscard]] std::optional<int16_t> roundHalfEven16(double value);

// "###0.00": two decimals rounded half away from zero on the value's
// shortest decimal digits (so 12.345 shows 12.35), at least one digit before
// the point, no grouping, '-' only for values that stay negative.
[[nodiscard]] std::string formatFixed2(double value);

// The eleven editable fields in the order they are validated and stored.
enum class Field {
    SrcCx,
    SrcCy,
    SrcR,
    SrcRot,
    RefPointX,
    RefPointY,
    DstWidth,
    DstHeight,
    DstCx,
    DstCy,
    DstR,
};
inline constexpr int kEditableFields = 11;

struct FieldRule {
    Field field;
    bool integer; // nearest integer (halves to even) instead of a double
    double low;
    bool lowInclusive;
    double high; // always inclusive
};

// The upper bounds of the fields, which depend on who asks. The source
// centre and the reference point lie in 0..srcX and 0..srcY, the source
// radius in (10, srcR]; destination sides are 8..dstSide, its centre in
// (0, dstSide] and its radius in (10, dstR].
struct FieldBounds {
    double srcX, srcY, srcR;
    double dstSide, dstR;
};

// The parameters window: the source circle on the open photo, its radius up
// to the photo's larger side; the result at most 2048 a side.
[[nodiscard]] FieldBounds windowBounds(int32_t srcW, int32_t srcH);
// The batch dialog: its photos are many files of any size (the largest the
// imaging library opens); its results are sized as in the window.
inline constexpr FieldBounds kBatchBounds{32767.0, 32767.0, 16384.0, 2048.0, 1024.0};
// The command line: photos as in the batch, results up to 16384 a side.
inline constexpr FieldBounds kCommandLineBounds{32767.0, 32767.0, 16384.0, 16384.0, 8192.0};

// The validation table under the given bounds.
[[nodiscard]] std::array<FieldRule, kEditableFields> fieldRules(const FieldBounds& bounds);

// The value the field stands for (a double, or the rounded integer widened),
// or nothing when the text is not numeric or the value is out of range.
[[nodiscard]] std::optional<double> fieldValue(const FieldRule& rule, std::string_view text);

// The values a rule allows, in words: "a number from 0 to 640", "a number
// above 10 and at most 2560", "a whole number from 8 to 2048".
[[nodiscard]] std::string allowedValuesText(const FieldRule& rule);

// The first field, in table order, whose text does not pass; texts are
// indexed like Field.
[[nodiscard]] std::optional<Field> firstInvalid(
    const std::array<std::string, kEditableFields>& texts, const FieldBounds& bounds);

} // namespace karwen
