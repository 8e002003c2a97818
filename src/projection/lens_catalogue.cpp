#include "lens_catalogue.h"

#include "lens_function.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

namespace karwen {

namespace {

// An ideal equidistant lens, rho = theta / (pi / 2), seeing halfFov degrees.
RixLens equidistantLens(double halfFov)
{
    RixLens lens{};
    lens.A[0] = 0.63661977236758134; // 2 / pi
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
    // Only lenses whose function their maker or a paper states; a maker
    // that states an ideal projection gives that projection as the lens.
    static const std::vector<NamedLens> lenses{
        {"nikkor-6mm-f2.8", equidistantLens(110.0),
            "Nikon, Fisheye-Nikkor 6mm f/2.8 instruction manual: equidistant projection y = C theta, "
            "220-degree picture angle"},
        {"nikkor-8mm-f2.8", equidistantLens(90.0),
            "Nikon, Fisheye-Nikkor 8mm f/2.8 instruction manual: equidistant projection y = C theta, "
            "180-degree picture angle"},
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
