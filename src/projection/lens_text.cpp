// Lens files and "poly:" terms: parsing, unit conversion and the checks
// every lens passes before use.
#include "lens_catalogue.h"

#include "file_bytes.h"
#include "file_error.h"
#include "file_path.h"
#include "lens_function.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace karwen {

namespace {

std::optional<NamedLens> refuse(std::string* why, std::string reason)
{
    if (why)
        *why = std::move(reason);
    return std::nullopt;
}

std::string_view trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// The whole of s as a finite number, or nothing.
std::optional<double> numberOf(std::string_view s)
{
    s = trimmed(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string shown(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

// The checks every lens passes: the imaging library's own (finite, field,
// rising) and rho = 1 at 90 degrees.
std::optional<NamedLens> checked(NamedLens lens, std::string* why)
{
    std::string reason;
    const auto function = rix::LensFunction::make(lens.lens, &reason);
    if (!function)
        return refuse(why, reason);
    const double rho90 = function->rho(std::numbers::pi / 2);
    if (!(std::fabs(rho90 - 1.0) <= kLensRho90Tolerance))
        return refuse(why,
            "the lens function reaches " + shown(rho90)
                + " at 90 degrees, not 1: its terms are scaled to another radius "
                  "(write 'radius: circle' if they are relative to the image circle)");
    return lens;
}

} // namespace

std::optional<NamedLens> parseLensText(std::string_view text, const std::string& fallbackName, std::string* why)
{
    NamedLens lens{fallbackName, {}, "", ""};
    bool haveFov = false, haveTerm = false, degrees = false, circle = false;
    int lineNumber = 0;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        ++lineNumber;
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        const std::string at = "line " + std::to_string(lineNumber) + ": ";
        const auto colon = line.find(':');
        if (colon == std::string_view::npos)
            return refuse(why, at + "expected 'key: value'");
        const std::string_view key = trimmed(line.substr(0, colon));
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (key == "name") {
            if (value.empty())
                return refuse(why, at + "the name is empty");
            lens.name = std::string(value);
        } else if (key == "source") {
            lens.source = std::string(value);
        } else if (key == "theta") {
            if (value != "radians" && value != "degrees")
                return refuse(why, at + "theta is 'radians' or 'degrees'");
            degrees = value == "degrees";
        } else if (key == "radius") {
            if (value != "r90" && value != "circle")
                return refuse(why, at + "radius is 'r90' or 'circle'");
            circle = value == "circle";
        } else if (key == "half_fov") {
            const auto fov = numberOf(value);
            if (!fov)
                return refuse(why, at + "half_fov is not a number");
            lens.lens.HalfFov = *fov;
            haveFov = true;
        } else if (key.size() == 2 && key[0] == 'a' && key[1] >= '0' && key[1] <= '5') {
            const auto term = numberOf(value);
            if (!term)
                return refuse(why, at + std::string(key) + " is not a number");
            if (key[1] == '0') {
                if (*term != 0.0)
                    return refuse(why, at + "the lens function must be 0 on the axis (a0 = 0)");
            } else {
                lens.lens.A[key[1] - '1'] = *term;
                haveTerm = true;
            }
        } else {
            return refuse(why, at + "unknown key '" + std::string(key) + "'");
        }
    }
    if (!haveFov)
        return refuse(why, "the lens file gives no half_fov");
    if (!haveTerm)
        return refuse(why, "the lens file gives no terms a1 ... a5");
    if (degrees)
        for (int k = 0; k < RIX_LENS_TERMS; ++k)
            lens.lens.A[k] *= std::pow(180.0 / std::numbers::pi, k + 1);
    if (circle) {
        // rho relative to the rim: divide by its value at 90 degrees.
        RixLens probe = lens.lens;
        probe.HalfFov = std::min(std::max(lens.lens.HalfFov, 90.0), RIX_LENS_MAX_HALF_FOV);
        const auto function = rix::LensFunction::make(probe);
        const double rho90 = function ? function->rho(std::numbers::pi / 2) : 0.0;
        if (!(rho90 > 0.0))
            return refuse(why, "the lens function does not rise over its field of view");
        for (double& a : lens.lens.A)
            a /= rho90;
    }
    return checked(std::move(lens), why);
}

std::optional<NamedLens> readLensFile(const std::string& path, std::string* why)
{
    std::string text;
    try {
        const auto bytes = files::FileBytes::read(path);
        text.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    } catch (const files::FileError& error) {
        return refuse(why, error.what());
    }
    std::string name = files::nameOf(path);
    if (const auto dot = files::extensionDot(name); dot != std::string::npos && dot > 0)
        name.resize(dot);
    std::string reason;
    auto lens = parseLensText(text, name, &reason);
    if (!lens)
        return refuse(why, "lens file '" + path + "': " + reason);
    if (lens->source.empty())
        lens->source = path;
    lens->file = path;
    return lens;
}

std::optional<NamedLens> lensFromPolynomial(std::string_view terms, std::string* why)
{
    NamedLens lens{"poly:" + std::string(terms), {}, "given on the command line", ""};
    lens.lens.HalfFov = 90.0;
    int count = 0;
    std::string_view rest = terms;
    while (true) {
        const auto comma = rest.find(',');
        const auto term = numberOf(rest.substr(0, comma));
        if (!term)
            return refuse(why, "poly: expects up to 5 numbers a1,a2,... separated by commas");
        if (count == RIX_LENS_TERMS)
            return refuse(why, "poly: takes at most 5 terms, a1 to a5");
        lens.lens.A[count++] = *term;
        if (comma == std::string_view::npos)
            break;
        rest = rest.substr(comma + 1);
    }
    return checked(std::move(lens), why);
}

} // namespace karwen
