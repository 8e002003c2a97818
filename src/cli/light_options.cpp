#include "light_options.h"

#include "calendar.h"
#include "light_settings.h"
#include "option_values.h"
#include "photo_site.h"

#include <CLI/CLI.hpp>

#include <utility>
#include <vector>

namespace karwen::cli {

namespace {

using canopy::SkyOrientation;
using light::LightSettings;

const LightSettings kDefaults{};
const std::string kGroup = "Light figures (with --site and --period)";

const std::string kTopBounds = "from 0 to " + numberText(canopy::kMaxTopAzimuth);
const std::string kDeclinationBounds
    = "from " + numberText(-canopy::kMaxDeclination) + " to " + numberText(canopy::kMaxDeclination);
const std::string kLatitudeBounds
    = "from " + numberText(-light::kMaxLatitude) + " to " + numberText(light::kMaxLatitude);
const std::string kLongitudeBounds
    = "from " + numberText(-light::kMaxLongitude) + " to " + numberText(light::kMaxLongitude);
const std::string kElevationBounds
    = "from " + numberText(light::kMinElevation) + " to " + numberText(light::kMaxElevation);
const std::string kUtcOffsetBounds = "from " + numberText(light::kMinUtcOffset) + " to "
    + numberText(light::kMaxUtcOffset) + " in steps of " + numberText(light::kUtcOffsetStep);
const std::string kTimeStepBounds = "a whole number from " + std::to_string(light::kMinTimeStep) + " to "
    + std::to_string(light::kMaxTimeStep) + " that divides " + std::to_string(light::kMinutesPerDay);
const std::string kAboveZeroToOne = "above 0 and at most 1";
const std::string kZeroToOne = "from 0 to 1";
const std::string kRingsBounds = "a whole number from 1 to " + std::to_string(light::kMaxZenithRings);
const std::string kSectorsBounds = "a whole number from 1 to " + std::to_string(light::kMaxAzimuthSectors);
const std::string kSolarConstantBounds
    = "from " + numberText(light::kMinSolarConstant) + " to " + numberText(light::kMaxSolarConstant);
const std::string kParPhotonsBounds
    = "from " + numberText(light::kMinParPhotons) + " to " + numberText(light::kMaxParPhotons);
constexpr const char* kErbs = "erbs";

bool validSettings(const LightSettings& s) { return light::isValid(s); }
bool validOrientation(const SkyOrientation& o) { return canopy::isValid(o); }

// The light options but --site and --period, by name, and whether each was
// given.
std::vector<std::pair<std::string, bool>> otherOptions(const RawLightOptions& raw)
{
    return {{"--top-azimuth", !raw.topAzimuth.empty()}, {"--magnetic-declination", !raw.declination.empty()},
        {"--mirrored", raw.mirrored}, {"--utc-offset", !raw.utcOffset.empty()}, {"--time-step", !raw.timeStep.empty()},
        {"--kt", !raw.kt.empty()}, {"--beam-fraction", !raw.beamFraction.empty()},
        {"--clear-sky-transmission", !raw.clearSkyTransmission.empty()}, {"--sky", !raw.sky.empty()},
        {"--sky-regions", !raw.skyRegions.empty()}, {"--solar-constant", !raw.solarConstant.empty()},
        {"--par-fraction", !raw.parFraction.empty()}, {"--par-photons", !raw.parPhotons.empty()},
        {"--light-daily", !raw.daily.empty()}};
}

// Why a date's text names no day ("" when it names one).
std::string dateProblem(const std::string& text)
{
    if (light::parseDate(text))
        return {};
    const auto digitAt = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-';
    for (std::size_t i = 0; shaped && i < text.size(); ++i)
        shaped = i == 4 || i == 7 || digitAt(i);
    return "\"" + text + "\""
        + (!shaped                         ? " is not of the form YYYY-MM-DD"
                : text.ends_with("-02-29") ? " is not a day of the calendar: 29 February is one only in leap years"
                                           : " is not a day of the calendar");
}

light::Period checkedPeriod(const std::string& text)
{
    const std::size_t dots = text.find("..");
    std::vector<std::string> dates{text.substr(0, dots)};
    if (dots != std::string::npos)
        dates.push_back(text.substr(dots + 2));
    for (const std::string& date : dates)
        if (const std::string problem = dateProblem(date); !problem.empty())
            throw UsageError("--period: " + problem);
    const std::optional<light::Period> period = light::parsePeriod(text);
    if (!period)
        throw UsageError("--period: \"" + text + "\" is not of the form FROM..TO or one date");
    if (const std::string problem = light::periodProblem(*period); !problem.empty())
        throw UsageError("--period: \"" + text + "\": " + problem);
    return *period;
}

LightSettings withSite(LightSettings s, const std::string& text)
{
    const std::vector<std::string> parts = splitAt(text, ',');
    if (parts.size() != 2 && parts.size() != 3)
        throw UsageError("--site: \"" + text + "\" is not of the form LAT,LON[,ELEV]");
    s = withPartValue(
        s, parts[0], false, [](LightSettings& l, double v) { l.site.latitudeDeg = v; }, validSettings, "--site", "LAT",
        kLatitudeBounds);
    s = withPartValue(
        s, parts[1], false, [](LightSettings& l, double v) { l.site.longitudeDeg = v; }, validSettings, "--site", "LON",
        kLongitudeBounds);
    if (parts.size() == 3)
        s = withPartValue(
            s, parts[2], false, [](LightSettings& l, double v) { l.site.elevationM = v; }, validSettings, "--site",
            "ELEV", kElevationBounds);
    return s;
}

LightSettings withSkyRegions(LightSettings s, const std::string& text)
{
    if (text.empty())
        return s;
    const std::vector<std::string> parts = splitAt(lowered(text), 'x');
    if (parts.size() != 2)
        throw UsageError("--sky-regions: \"" + text + "\" is not of the form ZxA");
    s = withPartValue(
        s, parts[0], true, [](LightSettings& l, double v) { l.zenithRings = int(v); }, validSettings, "--sky-regions",
        "Z", kRingsBounds);
    return withPartValue(
        s, parts[1], true, [](LightSettings& l, double v) { l.azimuthSectors = int(v); }, validSettings,
        "--sky-regions", "A", kSectorsBounds);
}

LightSettings withModel(LightSettings s, const RawLightOptions& raw)
{
    s = withOptionValue(
        s, raw.kt, false, [](LightSettings& l, double v) { l.kt = v; }, validSettings, "--kt", kAboveZeroToOne);
    if (lowered(raw.beamFraction) == kErbs)
        s.beamModel = light::BeamFractionModel::Erbs;
    else
        s = withOptionValue(
            s, raw.beamFraction, false, [](LightSettings& l, double v) { l.beamFraction = v; }, validSettings,
            "--beam-fraction", std::string(kErbs) + " or a number " + kZeroToOne);
    s = withOptionValue(
        s, raw.clearSkyTransmission, false, [](LightSettings& l, double v) { l.clearSkyTransmission = v; },
        validSettings, "--clear-sky-transmission", kAboveZeroToOne);
    if (!raw.sky.empty()) {
        const std::string sky = lowered(raw.sky);
        if (sky == light::skyModelKey(light::SkyModel::Uoc))
            s.sky = light::SkyModel::Uoc;
        else if (sky == light::skyModelKey(light::SkyModel::Soc))
            s.sky = light::SkyModel::Soc;
        else
            throw UsageError("--sky: \"" + raw.sky + "\" is neither uoc nor soc");
    }
    s = withSkyRegions(s, raw.skyRegions);
    s = withOptionValue(
        s, raw.solarConstant, false, [](LightSettings& l, double v) { l.solarConstant = v; }, validSettings,
        "--solar-constant", kSolarConstantBounds);
    s = withOptionValue(
        s, raw.parFraction, false, [](LightSettings& l, double v) { l.parFraction = v; }, validSettings,
        "--par-fraction", kZeroToOne);
    return withOptionValue(
        s, raw.parPhotons, false, [](LightSettings& l, double v) { l.parPhotons = v; }, validSettings, "--par-photons",
        kParPhotonsBounds);
}

SkyOrientation checkedOrientation(const RawLightOptions& raw)
{
    SkyOrientation o;
    o = withOptionValue(
        o, raw.topAzimuth, false, [](SkyOrientation& s, double v) { s.topAzimuthDeg = v; }, validOrientation,
        "--top-azimuth", kTopBounds);
    o = withOptionValue(
        o, raw.declination, false, [](SkyOrientation& s, double v) { s.declinationDeg = v; }, validOrientation,
        "--magnetic-declination", kDeclinationBounds);
    o.mirrored = raw.mirrored;
    return o;
}

} // namespace

void addLightOptions(CLI::App& measure, RawLightOptions& raw)
{
    const auto add
        = [&](const std::string& name, std::string& value, const std::string& help, const std::string& type) {
              measure.add_option(name, value, help)->type_name(type)->group(kGroup);
          };
    add("--site", raw.site,
        "Where the photos were taken: latitude " + kLatitudeBounds + " and longitude " + kLongitudeBounds
            + " in degrees, north and east positive, and elevation " + kElevationBounds
            + " m above sea level (default 0), e.g. --site -33.9,18.4; or " + kSiteFromPhotos
            + " for each photo's own GPS position and altitude in its metadata (a photo without a position is an "
              "error row). With --period, each measured photo's line holds its light figures.",
        "LAT,LON[,ELEV]|exif");
    add("--period", raw.period,
        "The days the light figures are worked out for, FROM..TO as YYYY-MM-DD..YYYY-MM-DD, both days included, TO "
        "not before FROM and at most "
            + std::to_string(light::kMaxPeriodYears)
            + " years after it; one date alone is one day. The figures are means per day of the period.",
        "FROM..TO");
    add("--utc-offset", raw.utcOffset,
        "Hours of the site's local standard time east of UTC (never daylight saving), " + kUtcOffsetBounds
            + ". Default: " + numberText(kDefaults.site.utcOffsetHours) + ".",
        "H");
    add("--time-step", raw.timeStep,
        "Minutes between the points of the sun's track, " + kTimeStepBounds
            + ". Default: " + std::to_string(kDefaults.timeStepMin) + ".",
        "MIN");
    add("--top-azimuth", raw.topAzimuth,
        "The bearing the photos' top was aimed at, in degrees " + kTopBounds
            + ", as read on a compass: the true azimuth of the top is this plus --magnetic-declination. Default: "
              "0.",
        "DEG");
    add("--magnetic-declination", raw.declination,
        "The site's magnetic declination in degrees, " + kDeclinationBounds + ", east positive. Default: 0.", "DEG");
    measure
        .add_flag("--mirrored", raw.mirrored,
            "The photos were flipped to map orientation (taken looking up, a photo with north at its top has east on "
            "its left; flipped, on its right).")
        ->group(kGroup);
    add("--kt", raw.kt,
        "Clearness index of the period, the global radiation over the radiation above the atmosphere, "
            + kAboveZeroToOne + ". Default: " + numberText(kDefaults.kt) + ".",
        "KT");
    add("--beam-fraction", raw.beamFraction,
        "The beam's share of the global radiation, " + kZeroToOne + ", or " + kErbs
            + " for the correlation of Erbs, Klein and Duffie (1982) from --kt. Default: "
            + numberText(kDefaults.beamFraction) + ".",
        "F|erbs");
    add("--clear-sky-transmission", raw.clearSkyTransmission,
        "Transmission of a clear atmosphere, which spreads the beam over the sun's track, " + kAboveZeroToOne
            + ". Default: " + numberText(kDefaults.clearSkyTransmission) + ".",
        "TAU");
    add("--sky", raw.sky,
        "The diffuse sky's radiance: uoc (uniform overcast) or soc (standard overcast, three times as bright at the "
        "zenith as at the horizon). Default: "
            + std::string(light::skyModelKey(kDefaults.sky)) + ".",
        "uoc|soc");
    add("--sky-regions", raw.skyRegions,
        "The sky regions the light is weighed in: Z zenith rings of equal angle (1 to "
            + std::to_string(light::kMaxZenithRings) + ") x A azimuth sectors (1 to "
            + std::to_string(light::kMaxAzimuthSectors) + "). Default: " + std::to_string(kDefaults.zenithRings) + "x"
            + std::to_string(kDefaults.azimuthSectors) + ".",
        "ZxA");
    add("--solar-constant", raw.solarConstant,
        "W/m2, " + kSolarConstantBounds + ". Default: " + numberText(kDefaults.solarConstant) + ".", "W");
    add("--par-fraction", raw.parFraction,
        "PAR's share of the global radiation, " + kZeroToOne + ". Default: " + numberText(kDefaults.parFraction) + ".",
        "F");
    add("--par-photons", raw.parPhotons,
        "umol of photons per J of PAR, " + kParPhotonsBounds + ". Default: " + numberText(kDefaults.parPhotons) + ".",
        "N");
    add("--light-daily", raw.daily,
        "Also a file of each day's figures, one line per photo and day (file, date, h0, above_total, dsf, tsf, "
        "below_total, below_par, direct_sun_hours), each day worked out as a period of its own; a photo with an "
        "error has none. A new file unless --overwrite or --resume, as --csv (with --resume, the days of the photos "
        "the CSV keeps stay); not -. With --shard, name one per shard.",
        "FILE");
}

LightOptions checkedLight(const RawLightOptions& raw)
{
    const bool site = !raw.site.empty(), period = !raw.period.empty();
    if (site != period)
        throw UsageError(site ? "--site: needs --period, the days the light figures are worked out for"
                              : "--period: needs --site, where the light figures are worked out");
    if (!site) {
        for (const auto& [name, given] : otherOptions(raw))
            if (given)
                throw UsageError(name + ": only with --site and --period, which the light figures need");
        return {};
    }
    if (raw.daily == "-")
        throw UsageError("--light-daily: \"-\" is refused: the days go to a file of their own");

    LightSettings s;
    s.period = checkedPeriod(raw.period);
    const bool siteFromPhotos = lowered(raw.site) == kSiteFromPhotos;
    if (!siteFromPhotos)
        s = withSite(s, raw.site);
    s = withOptionValue(
        s, raw.utcOffset, false, [](LightSettings& l, double v) { l.site.utcOffsetHours = v; }, validSettings,
        "--utc-offset", kUtcOffsetBounds);
    s = withOptionValue(
        s, raw.timeStep, true, [](LightSettings& l, double v) { l.timeStepMin = int(v); }, validSettings, "--time-step",
        kTimeStepBounds);
    s = withModel(s, raw);
    return {canopy::LightRequest{s, checkedOrientation(raw), !raw.daily.empty()}, raw.daily, siteFromPhotos};
}

} // namespace karwen::cli
