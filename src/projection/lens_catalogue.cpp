#include "lens_catalogue.h"

#include "lens_function.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <sys/stat.h>

namespace karwen {

namespace {

constexpr double kQuarterTurn = std::numbers::pi / 2;

// An ideal equidistant lens, rho = theta / (pi / 2), seeing halfFov degrees.
RixLens equidistantLens(double halfFov)
{
    RixLens lens{};
    lens.A[0] = 0.63661977236758134; // 2 / pi
    lens.HalfFov = halfFov;
    return lens;
}

// Terms as a source writes them with t in radians, rho = 1 at 90 degrees.
RixLens radianLens(std::initializer_list<double> terms, double halfFov)
{
    RixLens lens{};
    std::copy(terms.begin(), terms.end(), lens.A);
    lens.HalfFov = halfFov;
    return lens;
}

// Terms written in x = theta / 90 degrees, divided by their sum (rho at 90
// degrees) so that R is the 90-degree circle as for every lens; where each
// angle falls relative to the image circle stays the source's.
RixLens rescaledRelativeAngleLens(std::initializer_list<double> terms, double halfFov)
{
    double rho90 = 0.0;
    for (double c : terms)
        rho90 += c;
    RixLens lens{};
    int k = 0;
    for (double c : terms) {
        lens.A[k] = c / rho90 / std::pow(kQuarterTurn, k + 1);
        ++k;
    }
    lens.HalfFov = halfFov;
    return lens;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

const std::vector<NamedLens>& builtInLenses()
{
    // Only lenses whose function's source is named: a maker that states an
    // ideal projection gives that projection; a measured polynomial names the
    // paper, and the table it was read from when the paper could not be.
    // Each half field is half the maker's picture angle.
    static const std::vector<NamedLens> lenses{
        {"nikkor-6mm-f2.8", equidistantLens(110.0),
            "Nikon, Fisheye-Nikkor 6mm f/2.8 instruction manual: equidistant projection y = C theta, "
            "220-degree picture angle",
            ""},
        {"nikkor-8mm-f2.8", equidistantLens(90.0),
            "Nikon, Fisheye-Nikkor 8mm f/2.8 instruction manual: equidistant projection y = C theta, "
            "180-degree picture angle",
            ""},
        {"fc-e8", rescaledRelativeAngleLens({1.06, 0.00498, -0.0639}, 91.5),
            "Pekin & Macfarlane (2009), Remote Sensing 1(4): 1298-1320, doi:10.3390/rs1041298, as tabulated "
            "in hemispheR's gapfrac_fisheye lens table: rho = 1.06 x + 0.00498 x^2 - 0.0639 x^3, "
            "x = theta / 90 degrees, divided by its 1.00108 at 90 degrees; Nikon FC-E8, 183-degree picture "
            "angle",
            ""},
        {"fc-e9", radianLens({0.6427, 0.0346, -0.024491}, 91.5),
            "hemispheR's gapfrac_fisheye lens table: rho = 0.6427 t + 0.0346 t^2 - 0.024491 t^3, t in "
            "radians, as published; Nikon FC-E9, 183-degree picture angle",
            ""},
        {"sigma-8mm", radianLens({0.75276, -0.073937}, 90.0),
            "hemispheR's gapfrac_fisheye lens table, 'Sigma-8': rho = 0.75276 t - 0.073937 t^2, t in "
            "radians, as published; Sigma 8mm circular fisheye, 180-degree angle of view",
            ""},
    };
    return lenses;
}

std::optional<NamedLens> findLens(std::string_view given, std::string* why)
{
    constexpr std::string_view polyPrefix = "poly:";
    if (given.substr(0, polyPrefix.size()) == polyPrefix)
        return lensFromPolynomial(given.substr(polyPrefix.size()), why);
    for (const NamedLens& lens : builtInLenses())
        if (sameLetters(lens.name, given))
            return lens;
    struct stat st { };
    const std::string path(given);
    if (!given.empty() && ::stat(path.c_str(), &st) == 0)
        return readLensFile(path, why);
    if (why) {
        std::string names;
        for (const NamedLens& lens : builtInLenses())
            names += (names.empty() ? "" : ", ") + lens.name;
        *why = "no lens called '" + path + "': give a lens file, poly:a1,a2,... or one of " + names;
    }
    return std::nullopt;
}

double radius90FromRim(double rim, const RixLens& lens)
{
    const auto function = rix::LensFunction::make(lens);
    return function ? rim / function->rhoMax() : rim;
}

} // namespace karwen
