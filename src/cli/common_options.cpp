#include "common_options.h"

#include "batch_convert.h"
#include "batch_inputs.h"
#include "file_error.h"
#include "option_values.h"
#include "photo_source.h"
#include "projection_model.h"
#include "utf8_path.h"
#include "view_reference.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <filesystem>
#include <system_error>

namespace karwen::cli {

namespace {

constexpr int kMaxJobs = 1024;
constexpr int kMaxShards = 1000000;
// Every photo the loaders can read: 32767 pixels a side.
constexpr int kLargestPhoto = 32767 * 32767;

} // namespace

void addRunOptions(
    CLI::App& command, RawRunOptions& raw, const std::string& what, const std::string& shardNote, int defaultJobs)
{
    std::string capital = what;
    capital[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(capital[0])));
    command.add_option("INPUT", raw.inputs,
        "Photos to " + what
            + ": files, and folders whose .bmp, .jpg, .jpeg and .jpe files (any case; not in subfolders unless "
              "-r) are taken. All inputs form one list sorted by full path.");
    command
        .add_option("--files-from", raw.filesFrom,
            "More INPUT from a file, one path a line (- for standard input); empty lines are left out.")
        ->type_name("FILE");
    command
        .add_option("--files-from0", raw.filesFrom0,
            "More INPUT from a file of paths each ended by a NUL byte, as find -print0 writes them (- for standard "
            "input), so a path may hold a line break; empty ones are left out.")
        ->type_name("FILE");
    command.add_flag("-r,--recursive", raw.recursive,
        "Take the photos in the subfolders of the folders named too, at any depth (links to folders are not "
        "followed).");
    command
        .add_option("--base", raw.base,
            "With -r: each result's folder below the output folder (measure: that of --save-classified) is its photo's "
            "folder relative to DIR, instead "
            "of to the named folder it was found in, so that two named folders whose photos share names below them "
            "keep their results apart. A photo outside DIR is a usage error. Default: each named folder.")
        ->type_name("DIR");
    command
        .add_option("-j,--jobs", raw.jobs,
            "Photos taken at once. Default: the CPUs this process may run on (" + std::to_string(defaultJobs)
                + " here).")
        ->type_name("N");
    command
        .add_option("--shard", raw.shard,
            capital + " only shard K of N: the photos at places i (from 0) of the sorted list with i mod N = K - 1. "
                + shardNote + (shardNote.empty() ? "" : " ") + "Default: 1/1.")
        ->type_name("K/N");
    command
        .add_option("--max-pixels", raw.maxPixels,
            "Photos of more pixels (width x height) fail before they are decoded, with their size; 1 to "
                + std::to_string(kLargestPhoto)
                + ". A photo takes 4 bytes a pixel in memory. Default: " + std::to_string(kDefaultMaxPixels) + ".")
        ->type_name("N");
    command.add_flag("-q,--quiet", raw.quiet, "No progress and no summary; failures are still printed.");
}

void addSourceOptions(CLI::App& command, RawSourceOptions& raw)
{
    CLI::Option* projection = command.add_option("--src-projection", raw.projection,
        "Projection of the photos: " + projectionKeys(ProjectionsNamed::Sources)
            + "; any case. Default: " + projectionKind(kEquidistant)->key + ".");
    projection->type_name("NAME");
    std::string lenses;
    for (const NamedLens& lens : builtInLenses())
        lenses += (lenses.empty() ? "" : ", ") + lens.name;
    command
        .add_option("--src-lens", raw.lens,
            "The real lens the photos were taken with, instead of --src-projection: a built-in lens (" + lenses
                + "), a lens file, or poly:a1,a2,... (up to five terms of rho = a1 theta + a2 theta^2 + ..., theta "
                  "in radians, rho = 1 at 90 degrees; a field of 90 degrees). A found circle is the lens's rim.")
        ->type_name("NAME|FILE|poly:...")
        ->excludes(projection);
    CLI::Option* circle = command.add_option("--circle", raw.circle,
        "The photos' circle in pixels: centre CX,CY (" + commandLineBounds(Field::SrcCx)
            + "; y counted upward from the bottom row, as in the parameters window) and radius R ("
            + commandLineBounds(Field::SrcR) + "). A photo that the centre lies outside of is that photo's "
            + "error.");
    circle->type_name("CX,CY,R");
    CLI::Option* detect = command.add_flag("--detect-circle", raw.detectCircle,
        "Find each photo's own circle as opening a photo in the window does, and look along the camera's "
        "axis. The default when --circle is not given.");
    circle->excludes(detect);
    command
        .add_option("--view", raw.view,
            "View reference point in pixels, y counted upward from the bottom row ("
                + commandLineBounds(Field::RefPointX) + "); only with --circle. Default: the circle's centre.")
        ->type_name("XR,YR")
        ->needs(circle);
    command.add_option("--tilt", raw.tilt, "Tilt of the photos in degrees, -180 to 180. Default: 0.")->type_name("DEG");
}

std::string sourceProblemText(const std::string& problem)
{
    return problem == kNoCircleReason ? problem + "; give --circle" : problem;
}

namespace {

// The names of a list option, after those given so far.
void addListed(std::vector<std::string>& inputs, const std::string& list, ListSeparator separator, const char* option)
{
    if (list.empty())
        return;
    try {
        const std::vector<std::string> listed = namesFromList(list, separator);
        inputs.insert(inputs.end(), listed.begin(), listed.end());
    } catch (const files::FileError& e) {
        throw UsageError(std::string(option) + ": " + e.what());
    }
}

} // namespace

RunOptions checkedRun(const RawRunOptions& raw, int defaultJobs)
{
    RunOptions o;
    o.inputs = raw.inputs;
    o.recursive = raw.recursive;
    if (!raw.base.empty()) {
        if (!raw.recursive)
            throw UsageError("--base: only with -r, whose subfolders it places");
        std::error_code ec;
        std::filesystem::path base = std::filesystem::absolute(files::utf8Path(raw.base), ec).lexically_normal();
        if (ec)
            throw UsageError("--base: \"" + raw.base + "\": " + files::reasonOf(ec.value()));
        if (!base.has_filename() && base.has_relative_path())
            base = base.parent_path(); // "photos/" is "photos"
        o.base = files::utf8String(base);
    }
    if (raw.filesFrom == "-" && raw.filesFrom0 == "-")
        throw UsageError("--files-from - and --files-from0 -: standard input holds one list");
    addListed(o.inputs, raw.filesFrom, ListSeparator::Line, "--files-from");
    addListed(o.inputs, raw.filesFrom0, ListSeparator::Nul, "--files-from0");
    if (raw.filesFrom.empty() && raw.filesFrom0.empty() && o.inputs.empty())
        throw UsageError("no photos are named: give INPUT, --files-from or --files-from0");
    o.quiet = raw.quiet;
    o.jobs = raw.jobs.empty() ? defaultJobs : wholeNumber(raw.jobs, 1, kMaxJobs, "--jobs");
    const std::vector<std::string> shard = splitAt(raw.shard, '/');
    if (shard.size() != 2)
        throw UsageError("--shard: \"" + raw.shard + "\" is not of the form K/N");
    o.shards = wholeNumber(shard[1], 1, kMaxShards, "--shard N");
    o.shard = wholeNumber(shard[0], 1, o.shards, "--shard K");
    o.maxPixels = wholeNumber(raw.maxPixels, 1, kLargestPhoto, "--max-pixels");
    return o;
}

const RixLens* lensOf(const SourceOptions& source) { return karwen::lensOf(source.srcPrm, source.lens); }

std::string lensNameOf(const SourceOptions& source) { return karwen::lensNameOf(source.srcPrm, source.lens); }

SourceOptions checkedSource(const RawSourceOptions& raw)
{
    SourceOptions o;
    ProjectionRecord& src = o.srcPrm;
    if (raw.lens.empty()) {
        src.Proj = projectionFrom(raw.projection, ProjectionsNamed::Sources, "--src-projection");
    } else {
        std::string why;
        o.lens = findLens(raw.lens, &why);
        if (!o.lens)
            throw UsageError("--src-lens: " + why);
        src.Proj = RixLensSource;
    }
    src.Rot = fieldFrom(Field::SrcRot, raw.tilt, "--tilt", "the tilt");
    if (raw.circle.empty()) {
        o.findCircle = true;
        return o;
    }
    const std::vector<double> c
        = fieldsFrom({Field::SrcCx, Field::SrcCy, Field::SrcR}, raw.circle, ',', "--circle", {"CX", "CY", "R"});
    src.Cx = c[0];
    src.Cy = c[1];
    src.R = c[2];
    double refX = src.Cx, refY = src.Cy;
    if (!raw.view.empty()) {
        const std::vector<double> v
            = fieldsFrom({Field::RefPointX, Field::RefPointY}, raw.view, ',', "--view", {"XR", "YR"});
        refX = v[0];
        refY = v[1];
    }
    // The window keeps the reference point in single precision.
    if (!ref2angle(src, static_cast<float>(refX), static_cast<float>(refY), o.lens ? &o.lens->lens : nullptr))
        throw UsageError("--view: no view direction follows from this point and circle");
    return o;
}

} // namespace karwen::cli
