#include "measure_options.h"

#include "canopy_csv.h"
#include "light_options.h"
#include "option_values.h"
#include "photo_settings_table.h"
#include "run_control.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <vector>

namespace karwen::cli {

namespace {

using canopy::CanopySettings;

// The texts of measure's own options, checked once parsing is done.
struct RawOptions {
    RawRunOptions run;
    RawSourceOptions source;
    std::string csv;
    bool overwrite = false;
    bool resume = false;
    std::string channel{canopy::keyOf(CanopySettings{}.channel)};
    std::string gamma;
    std::string threshold{canopy::keyOf(CanopySettings{}.method)};
    std::string rings;
    std::string maxZenith;
    std::string sectors;
    RawLightOptions light;
    std::string classified;
    std::string photoSettings;
    bool dryRun = false;
};

const CanopySettings kDefaults{};

const std::string kRingsBounds = "a whole number from 1 to " + std::to_string(canopy::kMaxRings);
const std::string kSectorsBounds = "a whole number from 1 to " + std::to_string(canopy::kMaxSectors);
const std::string kGammaBounds = "from " + numberText(canopy::kMinGamma) + " to " + numberText(canopy::kMaxGamma);
const std::string kMaxZenithBounds = "above 0 and at most " + numberText(canopy::kZenithLimitDeg);

// "a, b<last>c" of the keys of a setting's choices, `left` left out.
template <typename Choice, std::size_t N>
std::string keyList(const canopy::ChoiceName<Choice> (&names)[N], const std::string& last = " or ",
    std::optional<Choice> left = std::nullopt)
{
    std::vector<std::string> keys;
    for (const auto& name : names)
        if (name.choice != left)
            keys.emplace_back(name.key);
    std::string list;
    for (std::size_t i = 0; i < keys.size(); ++i)
        list += (i == 0 ? "" : i + 1 == keys.size() ? last : ", ") + keys[i];
    return list;
}

// Every method by its name but Fixed, which is given as its threshold.
const std::string kFixedBounds = "from 0 to " + std::to_string(canopy::kMaxFixedThreshold);
const std::string kThresholdBounds = keyList(canopy::kMethodNames, ", ", std::optional(canopy::ThresholdMethod::Fixed))
    + " or a whole number " + kFixedBounds;

// The settings with one more value set from its option's text (none: the
// value stays), kept when the canopy library accepts them.
CanopySettings withValue(CanopySettings settings, const std::string& text, bool whole,
    void (*set)(CanopySettings&, double), const std::string& option, const std::string& bounds)
{
    return withOptionValue(
        settings, text, whole, set, [](const CanopySettings& c) { return isValid(c); }, option, bounds);
}

CanopySettings withThreshold(CanopySettings s, const std::string& threshold)
{
    const std::optional<canopy::ThresholdMethod> method = canopy::choiceByKey(canopy::kMethodNames, lowered(threshold));
    if (method && method != canopy::ThresholdMethod::Fixed) {
        s.method = *method;
        return s;
    }
    s.method = canopy::ThresholdMethod::Fixed;
    return withValue(
        s, threshold, true, [](CanopySettings& c, double v) { c.fixedThreshold = int(v); }, "--threshold",
        kThresholdBounds);
}

// The table's rows read by the options' rules, o's settings in place of
// those the cells leave. The light options alone may lack a site or a
// period that the rows give: then a photo without a row is refused.
void readTable(const RawOptions& raw, MeasureOptions& o)
{
    checkPhotoSettingsPath(raw.photoSettings, raw.run);
    try {
        o.light = checkedLight(raw.light);
    } catch (const UsageError& e) {
        if (!raw.light.daily.empty())
            throw; // the file of days takes the options' own site and period
        o.withoutRow = e.what();
    }
    const MeasureOptions& base = o;
    o.table
        = readPhotoSettings(raw.photoSettings, {raw.source, raw.threshold, raw.light}, [&](const RawPhotoOptions& row) {
              const LightOptions light = checkedLight(row.light);
              return PhotoSettings{checkedSource(row.source), withThreshold(base.settings, row.threshold),
                  light.request, light.siteFromPhotos, false, {}};
          });
}

MeasureOptions checked(const RawOptions& raw, int defaultJobs)
{
    MeasureOptions o;
    o.csvPath = raw.csv;
    o.dryRun = raw.dryRun;
    if (raw.overwrite && raw.resume)
        throw UsageError("--overwrite and --resume: a CSV is either replaced or continued");
    if ((raw.overwrite || raw.resume) && raw.csv == "-")
        throw UsageError(
            std::string(raw.overwrite ? "--overwrite" : "--resume") + ": --csv - writes to standard output");
    o.csvMode = raw.overwrite ? CsvMode::Overwrite : raw.resume ? CsvMode::Resume : CsvMode::New;
    o.run = checkedRun(raw.run, defaultJobs);
    o.source = checkedSource(raw.source);

    CanopySettings& s = o.settings;
    const std::optional<canopy::Channel> channel = canopy::choiceByKey(canopy::kChannelChoices, lowered(raw.channel));
    if (!channel)
        throw UsageError("--channel: \"" + raw.channel + "\" is neither " + keyList(canopy::kChannelChoices, " nor "));
    s.channel = *channel;
    s = withThreshold(s, raw.threshold);
    s = withValue(
        s, raw.gamma, false, [](CanopySettings& c, double v) { c.gamma = v; }, "--gamma", kGammaBounds);
    s = withValue(
        s, raw.rings, true, [](CanopySettings& c, double v) { c.rings = int(v); }, "--rings", kRingsBounds);
    s = withValue(
        s, raw.sectors, true, [](CanopySettings& c, double v) { c.sectors = int(v); }, "--sectors", kSectorsBounds);
    s = withValue(
        s, raw.maxZenith, false, [](CanopySettings& c, double v) { c.maxZenithDeg = v; }, "--max-zenith",
        kMaxZenithBounds);
    if (raw.photoSettings.empty())
        o.light = checkedLight(raw.light);
    else
        readTable(raw, o);
    o.classifiedFolder = raw.classified;
    if (!o.run.base.empty() && o.classifiedFolder.empty())
        throw UsageError("--base: only with --save-classified, whose sky images it places");
    return o;
}

} // namespace

std::function<MeasureOptions()> addMeasureOptions(CLI::App& measure, int defaultJobs)
{
    const auto raw = std::make_shared<RawOptions>();
    measure
        .add_option("--csv", raw->csv,
            "The CSV file the figures go to, one line per photo under a header, or - for standard output. A "
            "new file: one that exists is refused unless --overwrite or --resume is given. Each photo's line is "
            "added as it finishes; at the end of the run the file holds one line per photo in the order of the "
            "list. Its folder must exist and be writable.")
        ->required()
        ->type_name("FILE");
    measure.add_flag("--overwrite", raw->overwrite,
        "Replace the --csv file when it is a CSV of karwen-cli measure (or of the window's export, or empty), and "
        "the --light-daily file when it is such a file of days; anything else is never replaced.");
    measure.add_flag("--resume", raw->resume,
        "Continue the --csv file: measure only the photos without a line there (lines with an error are "
        "measured again). The file's lines must have been made with this run's settings, light settings "
        "included. The --light-daily file is continued with it.");
    measure
        .add_option("--save-classified", raw->classified,
            "Also save each measured photo's sky image in DIR (created when missing): a PNG of the photo's size, "
            "named as convert names results (x.jpg gives x-sky.png; with -r in the subfolder its photo is in), "
            "white (255) where a pixel counts as sky, black (0) canopy, grey (128) outside the circle measured or "
            "beyond 90 degrees, exactly as the figures count them. A photo with an error line gets none. An image "
            "that exists is kept (\"image kept: exists\") unless --overwrite replaces the CSV: then the images of "
            "its photos are replaced too, as --resume replaces those of the photos it measures again; only a PNG "
            "reached through no symbolic link below DIR is ever replaced. A name two photos would share is refused "
            "for the second (its line is still written), and the run exits with 1.")
        ->type_name("DIR");
    addSourceOptions(measure, raw->source);
    addPhotoSettingsOption(measure, raw->photoSettings, false);
    measure.add_flag("--dry-run", raw->dryRun,
        "Read no pixels and write nothing (no CSV, no sky images): list each photo with what the run would do "
        "(\"row\", \"skipped: exists\" for a photo --resume keeps, \"fails: ...\"; with the settings of its row "
        "in --photo-settings), then the counts, on standard output. "
            + dryRunExitHelp());
    measure
        .add_option("--channel", raw->channel,
            "Channel that tells sky from canopy: " + keyList(canopy::kChannelChoices)
                + ". Default: " + std::string(canopy::keyOf(kDefaults.channel))
                + ". A grey photo (a JPEG of one component, a BMP whose palette holds only greys) is measured on "
                  "its one channel whatever is chosen, and its row says grey.")
        ->type_name("NAME");
    measure
        .add_option("--gamma", raw->gamma,
            "Gamma that linearises the channel's values, " + kGammaBounds
                + " (1 keeps them). Default: " + numberText(kDefaults.gamma) + ".")
        ->type_name("G");
    measure
        .add_option("--threshold", raw->threshold,
            "How sky is told from canopy: otsu, ridler, minimum (the valley of the smoothed histogram; a photo "
            "whose histogram has no two peaks is an error line), edge (the largest mean contrast across edges), "
            "or a fixed value N "
                + kFixedBounds + " on the linearised scale (sky above it). Default: "
                + std::string(canopy::keyOf(kDefaults.method)) + ".")
        ->type_name("METHOD|N");
    measure
        .add_option("--rings", raw->rings,
            "Zenith rings of equal width up to --max-zenith, 1 to " + std::to_string(canopy::kMaxRings)
                + ". Default: " + std::to_string(kDefaults.rings) + ".")
        ->type_name("N");
    measure
        .add_option("--max-zenith", raw->maxZenith,
            "Largest zenith angle the rings reach, in degrees, " + kMaxZenithBounds
                + ". Default: " + numberText(kDefaults.maxZenithDeg) + ".")
        ->type_name("DEG");
    measure
        .add_option("--sectors", raw->sectors,
            "Azimuth sectors of equal width, 1 to " + std::to_string(canopy::kMaxSectors)
                + ". Default: " + std::to_string(kDefaults.sectors) + ".")
        ->type_name("N");
    addLightOptions(measure, raw->light);
    addRunOptions(measure, raw->run, "measure",
        "The shards' CSVs give the list's order again when merged line by line in turn: the header once, then the "
        "first line of shard 1, of shard 2, ..., of shard N, then each one's second line, and so on (the README "
        "gives a script that does it).",
        defaultJobs);
    measure.footer(
        "Image coordinates: x counts columns from the left edge, y counts rows upward from the bottom edge; "
        "they are continuous (pixel j covers j to j + 1), so a circle given in pixel indices is half a pixel off.\n"
        "Circle: --detect-circle measures each photo through its found image circle, whose rim is the 90-degree "
        "horizon (not 0.47 of the box, as convert and the window's conversions use). A photo without a circle "
        "found is an error line (\"no image circle found; give --circle\"); with --circle, a centre or view point "
        "off a photo is that photo's error.\n"
        "Columns: "
        + canopy::csvColumnNames()
        + ". The dot columns hold openness and le with 95 % intervals from the 1000 sample dots of an equisolid view "
          "(1000 x 1000 pixels), read with the same threshold. A photo that gives no figures has a line with its "
          "error and nothing else.\n"
          "Light: with --site and --period the light columns hold the settings (top_azimuth the true azimuth of the "
          "top, beam_fraction the one used, also under erbs) and each photo's means per day of the period: "
          "radiation in MJ/m2 (h0 above the atmosphere, above_* above and below_* under the canopy), below_par in "
          "mol/m2, the site factors dsf, isf and tsf (0 to 1), trans_* in percent, sun_hours and direct_sun_hours in "
          "hours, and the shares of the beam and the diffuse light that fall on what the photo shows "
          "(beam_coverage, diffuse_coverage). In a period without sun (a polar night) dsf, tsf, trans_direct, "
          "trans_total and beam_coverage are empty. Without --site the light columns are empty. Regions are "
          "turned to true north by --top-azimuth, --magnetic-declination and --mirrored.\n"
          "Metadata: the last columns hold what the photo's EXIF records, empty where it records nothing (a BMP, "
          "damaged metadata): datetime_original as 2021-06-21T12:30:00 (+02:00 with a recorded offset), camera "
          "(make and model), lens_model, exposure_time in s, f_number, iso, gps_latitude and gps_longitude in "
          "degrees (south and west negative), gps_altitude in m (below sea level negative). A photo is measured "
          "as stored whatever its EXIF orientation: the circle and the top refer to the stored pixels.\n"
          "Names that are not valid UTF-8, control characters and backslashes are written as \\xHH and \\\\.\n"
        + exitStatusHelp("every photo was measured",
            "a photo could not be read or measured (the others still are), a sky image could not be saved or was "
            "refused, the folder of --save-classified takes no file (nothing is measured), or the CSV or the "
            "--light-daily file could not be written (the run stops at the first line that cannot be; the lines "
            "written stay)",
            "a usage error or a --csv or --light-daily file that may not be written",
            "the lines of the photos finished stay"));
    return [raw, defaultJobs] { return checked(*raw, defaultJobs); };
}

} // namespace karwen::cli
