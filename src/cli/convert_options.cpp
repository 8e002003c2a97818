#include "convert_options.h"

#include "karwen_version.h"
#include "parameter_fields.h"
#include "projection_model.h"
#include "view_reference.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ostream>
#include <stdexcept>

namespace karwen::cli {

namespace {

constexpr int kMaxJobs = 1024;
constexpr int kMaxShards = 1000000;

// A value that the command line does not allow; its text is the message.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> splitAt(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::string numberText(double value)
{
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// "above 10 and at most 1024", "from 0 to 2048", "a whole number from 8 to 2048".
std::string boundsText(const FieldRule& rule)
{
    const std::string range = rule.lowInclusive
        ? "from " + numberText(rule.low) + " to " + numberText(rule.high)
        : "above " + numberText(rule.low) + " and at most " + numberText(rule.high);
    return rule.integer ? "a whole number " + range : range;
}

// The value of one field of the batch dialog, given as the part `what` of
// the option's value.
double fieldFrom(Field field, const std::string& text, const std::string& option, const std::string& what)
{
    const std::array<FieldRule, kEditableFields> rules = fieldRules(kBatchSourceBound, kBatchSourceBound);
    const FieldRule& rule = rules[static_cast<std::size_t>(field)];
    if (const std::optional<double> value = fieldValue(rule, text))
        return *value;
    throw UsageError(option + ": " + what + " \"" + text + "\" must be " + boundsText(rule));
}

// The fields of a comma-separated value, one per name in `what`.
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

// The projection code for a name of the parameters window, in any case;
// "equisolid" stands for "Equisolidangle".
int32_t projectionFrom(const std::string& text, int32_t count, const std::string& option)
{
    const std::string name = lowered(text) == "equisolid" ? lowered(ProjName[kEquisolidangle]) : lowered(text);
    for (int32_t p = 0; p < count; ++p) {
        if (lowered(ProjName[static_cast<std::size_t>(p)]) == name)
            return p;
    }
    std::string known;
    for (int32_t p = 0; p < count; ++p)
        known += (p ? ", " : "") + lowered(ProjName[static_cast<std::size_t>(p)]);
    throw UsageError(option + ": \"" + text + "\" is none of " + known + " (or equisolid)");
}

// The raw texts of the options, checked once parsing is done.
struct RawOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::string srcProjection = "equidistant";
    std::string dstProjection = "orthographic";
    std::string circle;
    bool detectCircle = false;
    std::string view;
    std::string tilt = "0";
    std::string size = "512x512";
    std::string dstCircle;
    std::string interp = "nearest";
    std::string format = "jpg";
    std::string quality = "75";
    std::string postfix = "-kw";
    bool overwrite = false;
    std::string jobs;
    std::string shard = "1/1";
    bool quiet = false;
};

ConvertOptions checked(const RawOptions& raw, int defaultJobs)
{
    ConvertOptions o;
    o.inputs = raw.inputs;
    o.outputFolder = raw.output;
    o.overwrite = raw.overwrite;
    o.quiet = raw.quiet;

    if (raw.postfix.find('/') != std::string::npos)
        throw UsageError("--postfix: \"" + raw.postfix + "\" may not hold a '/'");
    o.postfix = raw.postfix;
    o.outExt = lowered(raw.format);
    if (o.outExt != "jpg" && o.outExt != "bmp")
        throw UsageError("--format: \"" + raw.format + "\" is neither jpg nor bmp");
    o.settings.quality = wholeNumber(raw.quality, 1, 100, "--quality");
    const std::vector<std::string> interps{"nearest", "bilinear", "cubic"};
    const auto interp = std::find(interps.begin(), interps.end(), lowered(raw.interp));
    if (interp == interps.end())
        throw UsageError("--interp: \"" + raw.interp + "\" is none of nearest, bilinear, cubic");
    o.settings.interp = static_cast<int32_t>(interp - interps.begin());
    o.jobs = raw.jobs.empty() ? defaultJobs : wholeNumber(raw.jobs, 1, kMaxJobs, "--jobs");
    const std::vector<std::string> shard = splitAt(raw.shard, '/');
    if (shard.size() != 2)
        throw UsageError("--shard: \"" + raw.shard + "\" is not of the form K/N");
    o.shards = wholeNumber(shard[1], 1, kMaxShards, "--shard N");
    o.shard = wholeNumber(shard[0], 1, o.shards, "--shard K");

    ProjectionRecord& src = o.settings.srcPrm;
    src.Proj = projectionFrom(raw.srcProjection, kPerspective, "--src-projection");
    src.Rot = fieldFrom(Field::SrcRot, raw.tilt, "--tilt", "the tilt");
    if (raw.circle.empty()) {
        // Each photo's own circle; looking along the camera's axis.
        o.settings.findCircle = true;
    } else {
        const std::vector<double> c
            = fieldsFrom({Field::SrcCx, Field::SrcCy, Field::SrcR}, raw.circle, ',', "--circle", {"CX", "CY", "R"});
        src.Cx = c[0];
        src.Cy = c[1];
        src.R = c[2];
        double refX = src.Cx, refY = src.Cy;
        if (!raw.view.empty()) {
            const std::vector<double> v = fieldsFrom({Field::RefPointX, Field::RefPointY}, raw.view, ',', "--view", {"XR", "YR"});
            refX = v[0];
            refY = v[1];
        }
        // The window keeps the reference point in single precision.
        if (!ref2angle(src, static_cast<float>(refX), static_cast<float>(refY)))
            throw UsageError("--view: no view direction follows from this point and circle");
    }

    const std::vector<double> size = fieldsFrom({Field::DstWidth, Field::DstHeight}, raw.size, 'x', "--size", {"W", "H"});
    o.settings.dstW = static_cast<int32_t>(size[0]);
    o.settings.dstH = static_cast<int32_t>(size[1]);
    ProjectionRecord& dst = o.settings.dstPrm;
    dst.Proj = projectionFrom(raw.dstProjection, kProjectionCount, "--dst-projection");
    const std::string dstCircle = raw.dstCircle.empty()
        ? numberText(size[0] / 2) + "," + numberText(size[1] / 2) + "," + numberText(std::min(size[0], size[1]) / 2)
        : raw.dstCircle;
    const std::vector<double> d = fieldsFrom({Field::DstCx, Field::DstCy, Field::DstR}, dstCircle, ',',
        raw.dstCircle.empty() ? "--dst-circle (from --size)" : "--dst-circle", {"CX", "CY", "R"});
    dst.Cx = d[0];
    dst.Cy = d[1];
    dst.R = d[2];
    return o;
}

void addConvertOptions(CLI::App& convert, RawOptions& raw, int defaultJobs)
{
    convert
        .add_option("INPUT", raw.inputs,
            "Photos to convert: files, and folders whose .bmp, .jpg, .jpeg and .jpe files (any "
            "case, not in subfolders) are taken. All inputs form one list sorted by full path.")
        ->required();
    convert.add_option("-o,--output", raw.output, "Folder for the results; created when missing.")
        ->required()
        ->type_name("DIR");
    convert
        .add_option("--src-projection", raw.srcProjection,
            "Projection of the photos: orthographic, equisolidangle (or equisolid), equidistant, "
            "stereographic; any case. Default: equidistant.")
        ->type_name("NAME");
    convert
        .add_option("--dst-projection", raw.dstProjection,
            "Projection of the results: as --src-projection, or perspective. Default: "
            "orthographic.")
        ->type_name("NAME");
    CLI::Option* circle = convert.add_option("--circle", raw.circle,
        "The photos' circle in pixels: centre CX,CY (0 to 2048; y counted upward from the bottom row, as in "
        "the parameters window) and radius R (above 10, at most 1024).");
    circle->type_name("CX,CY,R");
    CLI::Option* detect = convert.add_flag("--detect-circle", raw.detectCircle,
        "Find each photo's own circle as opening a photo in the window does, and look along the camera's "
        "axis. The default when --circle is not given.");
    circle->excludes(detect);
    convert
        .add_option("--view", raw.view,
            "View reference point in pixels, y counted upward from the bottom row (0 to 2048); "
            "only with --circle. Default: the circle's centre.")
        ->type_name("XR,YR")
        ->needs(circle);
    convert.add_option("--tilt", raw.tilt, "Tilt of the photos in degrees, -180 to 180. Default: 0.")->type_name("DEG");
    convert.add_option("--size", raw.size, "Size of the results in pixels, each 8 to 2048. Default: 512x512.")
        ->type_name("WxH");
    convert
        .add_option("--dst-circle", raw.dstCircle,
            "The results' circle in pixels: centre CX,CY (above 0, at most 2048; y counted upward "
            "from the bottom row) and radius R (above 10, at most 1024). Default: the centre and "
            "half the smaller side of --size.")
        ->type_name("CX,CY,R");
    convert.add_option("--interp", raw.interp, "Interpolation: nearest, bilinear or cubic. Default: nearest.")
        ->type_name("KIND");
    convert.add_option("--format", raw.format, "Format of the results: jpg or bmp. Default: jpg.")->type_name("FMT");
    convert.add_option("--quality", raw.quality, "JPEG quality of the results, 1 to 100. Default: 75.")->type_name("N");
    convert
        .add_option("--postfix", raw.postfix,
            "Added to each photo's name (without its last extension) to name its result; may be "
            "empty. Default: -kw (x.jpeg gives x-kw.jpg).")
        ->type_name("TEXT");
    convert.add_flag("--overwrite", raw.overwrite,
        "Replace results that exist. Without it they are left alone and counted as skipped, so "
        "a rerun resumes where a run stopped.");
    convert
        .add_option("-j,--jobs", raw.jobs,
            "Photos converted at once. Default: the CPUs this process may run on (" + std::to_string(defaultJobs)
                + " here).")
        ->type_name("N");
    convert
        .add_option("--shard", raw.shard,
            "Convert only shard K of N: the photos at places i (from 0) of the sorted list with "
            "i mod N = K - 1. Results and refusals are decided over the whole list. Default: 1/1.")
        ->type_name("K/N");
    convert.add_flag("-q,--quiet", raw.quiet, "No progress and no summary; failures are still printed.");
    convert.footer(
        "Image coordinates: x counts columns from the left edge, y counts rows upward from the bottom edge.\n"
        "Exit status: 0 when nothing failed (skipped results included), 1 when a photo could not be read, a "
        "result was refused because it would replace a photo or another result of the run, or a result could "
        "not be written (the other photos are still converted), 2 for a usage error.");
}

} // namespace

ParsedCommand parseCommandLine(int argc, const char* const* argv, int defaultJobs, std::ostream& out, std::ostream& err)
{
    CLI::App app(
        "Converts hemispherical photos between fisheye projections, as the window's batch does.", "karwen-cli");
    app.set_version_flag("--version", std::string("karwen-cli ") + kVersionText);
    app.require_subcommand(1);
    RawOptions raw;
    CLI::App* convert = app.add_subcommand("convert", "Convert photos into a folder of results.");
    addConvertOptions(*convert, raw, defaultJobs);
    try {
        app.parse(argc, argv);
        return {checked(raw, defaultJobs), kExitDone};
    } catch (const CLI::Success& e) {
        (void)app.exit(e, out, err);
        return {std::nullopt, kExitDone};
    } catch (const CLI::ParseError& e) {
        (void)app.exit(e, out, err);
        return {std::nullopt, kExitUsage};
    } catch (const UsageError& e) {
        err << "karwen-cli convert: " << e.what() << "\nRun with --help for more information.\n";
        return {std::nullopt, kExitUsage};
    }
}

} // namespace karwen::cli
