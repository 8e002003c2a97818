#include "convert_options.h"

#include "option_values.h"
#include "photo_settings_table.h"
#include "photo_source.h"
#include "projection_model.h"
#include "run_control.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>

namespace karwen::cli {

namespace {

// The texts of convert's own options, checked once parsing is done.
struct RawOptions {
    RawRunOptions run;
    RawSourceOptions source;
    std::string output;
    std::string dstProjection = projectionKind(kOrthographic)->key;
    std::string size = "512x512";
    std::string dstCircle;
    std::string interp = kInterpolationKeys[0];
    std::string format = "jpg";
    std::string quality = "75";
    std::string postfix = "-kw";
    bool overwrite = false;
    std::string photoSettings;
    bool dryRun = false;
    std::string decode = "auto";
    bool decodeGiven = false;
};

// The interpolations' keys, the last one after lastSeparator.
std::string interpolationKeys(const std::string& lastSeparator)
{
    std::string keys;
    for (std::size_t i = 0; i < std::size(kInterpolationKeys); ++i)
        keys += (i == 0 ? "" : i + 1 == std::size(kInterpolationKeys) ? lastSeparator : ", ") + kInterpolationKeys[i];
    return keys;
}

// A table's columns of measure's options have no meaning here: refused, as
// the options would be.
void refuseMeasuresColumns(const RawPhotoOptions& row)
{
    const RawLightOptions& l = row.light;
    for (const auto& [option, given] :
        {std::pair{"--threshold", !row.threshold.empty()}, {"--top-azimuth", !l.topAzimuth.empty()},
            {"--magnetic-declination", !l.declination.empty()}, {"--mirrored", l.mirrored}, {"--site", !l.site.empty()},
            {"--period", !l.period.empty()}, {"--utc-offset", !l.utcOffset.empty()}})
        if (given)
            throw UsageError(std::string(option) + ": measure's alone; convert takes no such setting");
}

ConvertOptions checked(const RawOptions& raw, int defaultJobs)
{
    ConvertOptions o;
    o.outputFolder = raw.output;
    o.overwrite = raw.overwrite;
    o.dryRun = raw.dryRun;

    if (raw.postfix.find('/') != std::string::npos)
        throw UsageError("--postfix: \"" + raw.postfix + "\" may not hold a '/'");
    o.postfix = raw.postfix;
    o.outExt = lowered(raw.format);
    if (o.outExt != "jpg" && o.outExt != "bmp")
        throw UsageError("--format: \"" + raw.format + "\" is neither jpg nor bmp");
    o.settings.quality = wholeNumber(raw.quality, 1, 100, "--quality");
    const auto interp = std::find(std::begin(kInterpolationKeys), std::end(kInterpolationKeys), lowered(raw.interp));
    if (interp == std::end(kInterpolationKeys))
        throw UsageError("--interp: \"" + raw.interp + "\" is none of " + interpolationKeys(", "));
    o.settings.interp = static_cast<int32_t>(interp - std::begin(kInterpolationKeys));
    const std::string decode = lowered(raw.decode);
    if (decode != "auto" && decode != "full")
        throw UsageError("--decode: \"" + raw.decode + "\" is neither auto nor full");
    o.decodeGiven = raw.decodeGiven;
    o.settings.scaledDecode = decode == "auto";
    o.run = checkedRun(raw.run, defaultJobs);
    o.settings = withSource(o.settings, checkedSource(raw.source));

    const std::vector<double> size
        = fieldsFrom({Field::DstWidth, Field::DstHeight}, raw.size, 'x', "--size", {"W", "H"});
    o.settings.dstW = static_cast<int32_t>(size[0]);
    o.settings.dstH = static_cast<int32_t>(size[1]);
    ProjectionRecord& dst = o.settings.dstPrm;
    dst.Proj = projectionFrom(raw.dstProjection, ProjectionsNamed::Results, "--dst-projection");
    const std::string dstCircle = raw.dstCircle.empty()
        ? numberText(size[0] / 2) + "," + numberText(size[1] / 2) + "," + numberText(std::min(size[0], size[1]) / 2)
        : raw.dstCircle;
    const std::vector<double> d = fieldsFrom({Field::DstCx, Field::DstCy, Field::DstR}, dstCircle, ',',
        raw.dstCircle.empty() ? "--dst-circle (from --size)" : "--dst-circle", {"CX", "CY", "R"});
    dst.Cx = d[0];
    dst.Cy = d[1];
    dst.R = d[2];
    if (!raw.photoSettings.empty()) {
        checkPhotoSettingsPath(raw.photoSettings, raw.run);
        o.table = readPhotoSettings(raw.photoSettings, {raw.source, {}, {}}, [](const RawPhotoOptions& row) {
            refuseMeasuresColumns(row);
            return PhotoSettings{checkedSource(row.source), {}, std::nullopt, false, false, {}};
        });
    }
    return o;
}

} // namespace

BatchSettings withSource(BatchSettings settings, const SourceOptions& source)
{
    settings.srcPrm = source.srcPrm;
    settings.findCircle = source.findCircle;
    settings.srcLens = source.lens;
    return settings;
}

std::function<ConvertOptions()> addConvertOptions(CLI::App& convert, int defaultJobs)
{
    const auto raw = std::make_shared<RawOptions>();
    convert.add_option("-o,--output", raw->output, "Folder for the results; created when missing.")
        ->required()
        ->type_name("DIR");
    addSourceOptions(convert, raw->source);
    addPhotoSettingsOption(convert, raw->photoSettings, true);
    convert.add_flag("--dry-run", raw->dryRun,
        "Read no pixels and write nothing: list each photo with what the run would do (its result's path, "
        "\"skipped: exists\", \"refused: ...\", \"fails: ...\"; with the settings of its row in --photo-settings), "
        "then the counts, on standard output. "
            + dryRunExitHelp());
    convert
        .add_option("--dst-projection", raw->dstProjection,
            "Projection of the results: as --src-projection, or " + projectionKeys(ProjectionsNamed::ResultsOnly)
                + ". Default: " + projectionKind(kOrthographic)->key + ".")
        ->type_name("NAME");
    convert
        .add_option("--size", raw->size,
            "Size of the results in pixels, each " + commandLineBounds(Field::DstWidth)
                + " (a 16384 x 16384 result takes about 1 GiB of memory while it is made). Below 22 a side give "
                  "--dst-circle too: the default circle's radius, half the smaller side, must be above 10. "
                  "Default: 512x512.")
        ->type_name("WxH");
    convert
        .add_option("--dst-circle", raw->dstCircle,
            "The results' circle in pixels: centre CX,CY (" + commandLineBounds(Field::DstCx)
                + "; y counted upward from the bottom row) and radius R (" + commandLineBounds(Field::DstR)
                + "). Default: the centre and half the smaller side of --size.")
        ->type_name("CX,CY,R");
    convert
        .add_option("--interp", raw->interp,
            "Interpolation: " + interpolationKeys(" or ") + ". Default: " + kInterpolationKeys[0] + ".")
        ->type_name("KIND");
    CLI::Option* decode = convert.add_option("--decode", raw->decode,
        "How much of each photo to decode: auto decodes a JPEG photo read through the circle given at 1/2, 1/4 "
        "or 1/8 of its size where the result still gets at least one decoded pixel under each of its own (two for "
        "cubic), which is faster; the result then shows the photo's finest detail averaged where a full decode's "
        "would pick single pixels of it. With --detect-circle, and for BMP photos, every pixel is decoded. full "
        "decodes every pixel. Default: auto, or full when continuing a folder of results made before the choice "
        "was recorded.");
    decode->type_name("KIND");
    convert.add_option("--format", raw->format, "Format of the results: jpg or bmp. Default: jpg.")->type_name("FMT");
    convert.add_option("--quality", raw->quality, "JPEG quality of the results, 1 to 100. Default: 75.")
        ->type_name("N");
    convert
        .add_option("--postfix", raw->postfix,
            "Added to each photo's name (without its last extension) to name its result; may be "
            "empty. Default: -kw (x.jpeg gives x-kw.jpg).")
        ->type_name("TEXT");
    convert.add_flag("--overwrite", raw->overwrite,
        "Replace results that exist: BMP or JPEG files reached through no symbolic link below the output "
        "folder, in a folder that holds none of the run's photos. Without it they are left alone and counted as "
        "skipped, so a rerun resumes where a run stopped; a rerun with other settings than those the folder's "
        "results were made with (kept in its file .karwen-convert) stops instead, with exit status 2. Anything "
        "else under a result's name (a link, a folder, a file that is no picture) fails that photo and stays.");
    addRunOptions(convert, raw->run, "convert", "Results and refusals are decided over the whole list.", defaultJobs);
    convert.footer(
        "Image coordinates: x counts columns from the left edge, y counts rows upward from the bottom edge.\n"
        "Subfolders: with -r each result goes to the subfolder below the output folder that its photo is in "
        "below the folder named.\n"
        "Circle: --detect-circle reads each photo a little inside its found rim (0.47 of the larger side of its "
        "box), as the window does; a photo without a circle found is a failure.\n"
        + exitStatusHelp("nothing failed (skipped results included)",
            "a photo could not be read or has no circle to read it through, a result was refused because it would "
            "replace a photo or another result of the run, or a result could not be written (the other photos are "
            "still converted), or the output folder takes no file or no more (the run stops)",
            "a usage error or results made with other settings"));
    return [raw, decode, defaultJobs] {
        raw->decodeGiven = decode->count() > 0;
        return checked(*raw, defaultJobs);
    };
}

} // namespace karwen::cli
