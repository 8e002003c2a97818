// karwen-cli lens-fit: a lens fitted from marks photographed at known
// zenith angles (lens_fit.h), printed as a lens file. The points file holds
// one mark a line, its radius in pixels from the image centre and its
// zenith angle in degrees, separated by a comma, a semicolon or blanks;
// '#' starts a comment and a first line of column names is passed over.
#pragma once

#include "lens_fit.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace karwen::cli {

inline constexpr int kDefaultFitDegree = 3;

struct LensFitOptions {
    std::string pointsPath;
    int degree = kDefaultFitDegree;
    std::optional<double> halfFovDeg; // none: the largest zenith angle measured
};

// Adds lens-fit's options to its subcommand; the function returned gives
// them once a parse has chosen it, or throws UsageError.
[[nodiscard]] std::function<LensFitOptions()> addLensFitOptions(CLI::App& lensFit);

// The marks of a points file's text; nothing, with the line at fault in
// why, when a line is not two numbers.
[[nodiscard]] std::optional<std::vector<LensMark>> lensMarksFromText(std::string_view text, std::string* why);

// The fit as a lens file: the terms, the half field, and as comments R,
// each mark's residuals and their RMS. pointsPath names the source.
[[nodiscard]] std::string lensFitText(
    const LensFitResult& fit, const std::vector<LensMark>& marks, int degree, const std::string& pointsPath);

// The points path that reads the marks from standard input.
inline constexpr const char* kStandardInputName = "-";

// Prints the lens file to out, or why no lens follows to err; the exit code.
// The marks come from the points file, or from in for kStandardInputName.
[[nodiscard]] int runLensFit(const LensFitOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace karwen::cli
