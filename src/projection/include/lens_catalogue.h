// The real lenses a user can name: the few the program ships, lens files,
// and lenses written out as "poly:a1,a2,...". Each comes checked: rho is 0
// on the axis, rises over the lens's field and is 1 at 90 degrees, as a
// source record's radius means the 90-degree circle.
//
// A lens file is UTF-8 text of "key: value" lines; '#' starts a comment:
//   name: my-8mm                 the name shown and written to the CSV
//   half_fov: 92.5               degrees from the axis the lens sees
//   a1: 0.6366 ... a5: 0         rho = a1 t + a2 t^2 + ... + a5 t^5
//   theta: radians | degrees     the unit of t in those terms (radians)
//   radius: r90 | circle         what rho = 1 stands for: the 90-degree
//                                circle (r90) or the image circle, the
//                                rim at half_fov (circle)
//   source: free text            where the figures come from
// Missing terms are 0; "a0", if given, must be 0. Terms given in degrees
// or relative to the image circle are converted to radians and r90.
#pragma once

#include "rix.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace karwen {

struct NamedLens {
    std::string name;   // as listed and written to the CSV's lens column
    RixLens lens{};     // in radians, rho = 1 at 90 degrees
    std::string source; // where the function comes from, or the file read
    std::string file;   // the lens file it was read from; "" for any other
};

// How far rho(90 degrees) may stray from 1, for published terms rounded
// to a few digits.
inline constexpr double kLensRho90Tolerance = 0.01;

// The lenses shipped with the program, each naming its function's source.
[[nodiscard]] const std::vector<NamedLens>& builtInLenses();

// A lens from the text of a lens file; fallbackName names it when the text
// has no name. Nothing, with the reason in why, when the text is not one.
[[nodiscard]] std::optional<NamedLens> parseLensText(
    std::string_view text, const std::string& fallbackName, std::string* why);

// The lens file at path, named after the file when it names no lens.
[[nodiscard]] std::optional<NamedLens> readLensFile(const std::string& path, std::string* why);

// "a1,a2,..." (up to five terms, radians, rho = 1 at 90 degrees, a
// half field of view of 90 degrees), named "poly:" and the terms.
[[nodiscard]] std::optional<NamedLens> lensFromPolynomial(std::string_view terms, std::string* why);

// What a user typed to name a lens: "poly:a1,a2,...", the name of a
// built-in lens (any letter case), or the path of a lens file.
[[nodiscard]] std::optional<NamedLens> findLens(std::string_view given, std::string* why);

// The radius of the 90-degree circle of a photo whose image circle, the
// rim at the lens's half field of view, has radius rim.
[[nodiscard]] double radius90FromRim(double rim, const RixLens& lens);

} // namespace karwen
