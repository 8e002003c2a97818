// Every projection the program knows, in the order its lists show them: the
// one place that says what each code of rix.h is called, how the command
// line names it and what it may be. The lists, the option parser, the help
// texts, the CSV and the radial model all read it; no list position stands
// for a code.
#pragma once

#include "rix.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace karwen {

struct ProjectionKind {
    int32_t code;         // the field Proj of a ProjectionRecord
    const char* name;     // the lists, the CSV, the area log
    const char* key;      // the command line and the settings record
    const char* shortKey; // another key the command line takes, or ""
    bool fisheye;         // reaches the horizon, so a photo may have it
    bool lens;            // a real lens described beside the record, not a formula
};

inline constexpr ProjectionKind kProjectionKinds[] = {
    {RixOrthographic, "Orthographic", "orthographic", "", true, false},
    {RixEquisolidangle, "Equisolidangle", "equisolidangle", "equisolid", true, false},
    {RixEquidistant, "Equidistant", "equidistant", "", true, false},
    {RixStereographic, "Stereographic", "stereographic", "", true, false},
    // Its horizon lies at infinity: a conversion may make it, no photo has it.
    {RixPerspective, "Perspective", "perspective", "", false, false},
    // Chosen on the command line by --src-lens, not by a projection key.
    {RixLensSource, "lens", "lens", "", true, true},
};

// The index of code's row, or -1 for a code the program does not know.
// The predicates below go by the index rather than by a pointer: a pointer
// tested against null is no constant expression in a build checked for
// undefined behaviour.
[[nodiscard]] inline constexpr int projectionRow(int32_t code)
{
    for (int i = 0; i < int(std::size(kProjectionKinds)); ++i) {
        if (kProjectionKinds[i].code == code)
            return i;
    }
    return -1;
}

// The row of code, or nullptr for a code the program does not know.
[[nodiscard]] inline constexpr const ProjectionKind* projectionKind(int32_t code)
{
    const int row = projectionRow(code);
    return row < 0 ? nullptr : &kProjectionKinds[row];
}

// An ideal projection (a formula of the radial model): a conversion may make it.
[[nodiscard]] inline constexpr bool isIdealProjection(int32_t code)
{
    const int row = projectionRow(code);
    return row >= 0 && !kProjectionKinds[row].lens;
}
// An ideal fisheye projection: a photo may have it, and its picture ends at
// the horizon.
[[nodiscard]] inline constexpr bool isIdealFisheye(int32_t code)
{
    const int row = projectionRow(code);
    return row >= 0 && kProjectionKinds[row].fisheye && !kProjectionKinds[row].lens;
}
// A photo may be read through it: an ideal fisheye projection or a real lens.
[[nodiscard]] inline constexpr bool isSourceProjection(int32_t code)
{
    const int row = projectionRow(code);
    return row >= 0 && kProjectionKinds[row].fisheye;
}

// One past the largest ideal code: the size of the tables indexed by code.
inline constexpr int kProjectionCount = [] {
    int32_t largest = -1;
    for (const ProjectionKind& kind : kProjectionKinds) {
        if (!kind.lens)
            largest = std::max(largest, kind.code);
    }
    return largest + 1;
}();

// The table and the library's own tests of rix.h agree on every code.
static_assert([] {
    for (int32_t code = -1; code <= kProjectionCount + 1; ++code) {
        if (isIdealFisheye(code) != (RixIsFisheye(code) != 0)
            || isIdealProjection(code) != (RixMayBeDestination(code) != 0))
            return false;
    }
    return true;
}());

} // namespace karwen
