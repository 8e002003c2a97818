#include "lens_fit_command.h"

#include "file_bytes.h"
#include "file_error.h"
#include "file_path.h"
#include "option_values.h"
#include "parameter_fields.h"
#include "run_control.h"
#include "shown_text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <istream>
#include <iterator>
#include <memory>
#include <ostream>

namespace karwen::cli {

namespace {

// Two decimals for what a user reads, the shortest exact text for terms
// that a lens file must give back unchanged.
std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

constexpr std::string_view kBlanks = " \t\r";

// The fields of a line: split at commas or semicolons when it holds one,
// else at runs of blanks.
std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    const bool marked = line.find_first_of(",;") != std::string_view::npos;
    const std::string_view separators = marked ? ",;" : kBlanks;
    for (std::size_t start = 0; start <= line.size();) {
        const std::size_t end = std::min(line.find_first_of(separators, start), line.size());
        std::string_view field = line.substr(start, end - start);
        const std::size_t first = field.find_first_not_of(kBlanks);
        field = first == std::string_view::npos ? std::string_view{}
                                                : field.substr(first, field.find_last_not_of(kBlanks) - first + 1);
        if (marked || !field.empty())
            fields.push_back(field);
        start = end + 1;
    }
    return fields;
}

} // namespace

std::optional<std::vector<LensMark>> lensMarksFromText(std::string_view text, std::string* why)
{
    std::vector<LensMark> marks;
    bool firstLine = true;
    for (int number = 1; !text.empty(); ++number) {
        const auto newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        line = line.substr(0, line.find('#'));
        if (line.find_first_not_of(kBlanks) == std::string_view::npos)
            continue;
        const std::vector<std::string_view> fields = fieldsOf(line);
        // The columns' names: a first line without a number in it.
        const bool header
            = firstLine && std::ranges::none_of(fields, [](std::string_view f) { return parseNumber(f).has_value(); });
        firstLine = false;
        const auto radius = fields.size() == 2 ? parseNumber(fields[0]) : std::nullopt;
        const auto zenith = fields.size() == 2 ? parseNumber(fields[1]) : std::nullopt;
        if (radius && zenith) {
            marks.push_back({*radius, *zenith});
            continue;
        }
        if (header)
            continue;
        if (why)
            *why = "line " + std::to_string(number) + ": expected a radius in pixels and a zenith angle in degrees, "
                + "two numbers, not \"" + std::string(fieldsOf(line).size() == 1 ? fieldsOf(line)[0] : line) + "\"";
        return std::nullopt;
    }
    if (marks.empty()) {
        if (why)
            *why = "no line holds a mark: write one a line, its radius in pixels and its zenith angle in degrees";
        return std::nullopt;
    }
    return marks;
}

std::string lensFitText(
    const LensFitResult& fit, const std::vector<LensMark>& marks, int degree, const std::string& pointsPath)
{
    // The file's name, as one line of the lens file that no '#' cuts short.
    std::string name = pointsPath == kStandardInputName ? "standard input" : files::nameOf(pointsPath);
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '#' || c == '\n' || c == '\r'; }, '_');
    std::string text = "# A lens fitted by karwen-cli lens-fit from " + std::to_string(marks.size()) + " points of "
        + name + ", degree " + std::to_string(degree) + ".\n";
    text += "# R, the radius of the 90-degree circle: " + fixed(fit.radius90, 3) + " pixels\n";
    text += "source: lens-fit of " + name + "\n";
    text += "half_fov: " + exactNumberText(fit.lens.HalfFov) + "\n";
    text += "theta: radians\nradius: r90\n";
    for (int k = 0; k < degree; ++k)
        text += "a" + std::to_string(k + 1) + ": " + exactNumberText(fit.lens.A[k]) + "\n";
    text += "# Residuals: the measured radius less the fitted one at its angle, and the same as an angle\n"
            "#  point  radius_px  zenith_deg  residual_px  residual_deg\n";
    for (std::size_t i = 0; i < marks.size(); ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "# %6zu %10.2f %11.3f %12.3f %13.4f\n", i + 1, marks[i].radius,
            marks[i].zenithDeg, fit.residuals[i].pixels, fit.residuals[i].degrees);
        text += line;
    }
    text += "# RMS: " + fixed(fit.rmsPixels, 3) + " pixels, " + fixed(fit.rmsDegrees, 4) + " degrees\n";
    return text;
}

int runLensFit(const LensFitOptions& o, std::istream& in, std::ostream& out, std::ostream& err)
{
    std::string text;
    if (o.pointsPath == kStandardInputName) {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            err << "karwen-cli lens-fit: cannot read standard input; no lens was fitted.\n";
            return kExitFailures;
        }
    } else {
        try {
            const auto bytes = files::FileBytes::read(o.pointsPath);
            text.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        } catch (const files::FileError& e) {
            err << "karwen-cli lens-fit: " << shownText(e.what()) << "; no lens was fitted.\n";
            return kExitFailures;
        }
    }
    std::string why;
    const auto marks = lensMarksFromText(text, &why);
    const auto fit = marks ? fitLens(*marks, o.degree, o.halfFovDeg, &why) : std::nullopt;
    if (!fit) {
        const std::string source = o.pointsPath == kStandardInputName ? "standard input" : "\"" + o.pointsPath + "\"";
        err << "karwen-cli lens-fit: " << shownText(source + ": " + why) << "; no lens was fitted.\n";
        return kExitFailures;
    }
    out << lensFitText(*fit, *marks, o.degree, o.pointsPath);
    out.flush();
    return out ? kExitDone : kExitFailures;
}

std::function<LensFitOptions()> addLensFitOptions(CLI::App& lensFit)
{
    struct Raw {
        std::string points;
        std::string degree = std::to_string(kDefaultFitDegree);
        std::string halfFov;
    };
    const auto raw = std::make_shared<Raw>();
    lensFit
        .add_option("POINTS", raw->points,
            "The marks measured on a calibration photo (- for standard input), one a line: the radius in pixels "
            "from the image centre and "
            "the zenith angle in degrees (0 to "
                + numberText(RIX_LENS_MAX_HALF_FOV)
                + "), separated by a comma, a semicolon or blanks. '#' starts a comment; a first line of column "
                  "names is passed over.")
        ->required()
        ->type_name("POINTS.csv");
    lensFit
        .add_option("--degree", raw->degree,
            "Terms of the polynomial r = b1 theta + ... + bN theta^N, 1 to " + std::to_string(kLensFitMaxDegree)
                + ". Default: " + std::to_string(kDefaultFitDegree) + ".")
        ->type_name("N");
    lensFit
        .add_option("--half-fov", raw->halfFov,
            "The lens's half field of view in degrees, above 0 and at most " + numberText(RIX_LENS_MAX_HALF_FOV)
                + ", at least the largest zenith angle measured. Default: that angle.")
        ->type_name("DEG");
    lensFit.footer(
        "Prints a lens file (lens-fit POINTS.csv > my.lens makes one that --src-lens reads): the terms a_k = b_k / "
        "R, R = r(90 degrees) being the radius of the 90-degree circle, and as comments R, each point's residual in "
        "pixels and in degrees, and their RMS.\n"
        + exitStatusHelp("a lens was printed",
            "the points file cannot be read or gives no lens (the reason on standard error)", "a usage error"));
    return [raw] {
        LensFitOptions o;
        o.pointsPath = raw->points;
        o.degree = wholeNumber(raw->degree, 1, kLensFitMaxDegree, "--degree");
        if (!raw->halfFov.empty()) {
            const auto fov = parseNumber(raw->halfFov);
            if (!fov || !(*fov > 0.0 && *fov <= RIX_LENS_MAX_HALF_FOV))
                throw UsageError("--half-fov: \"" + raw->halfFov + "\" must be a number above 0 and at most "
                    + numberText(RIX_LENS_MAX_HALF_FOV));
            o.halfFovDeg = *fov;
        }
        return o;
    };
}

} // namespace karwen::cli
