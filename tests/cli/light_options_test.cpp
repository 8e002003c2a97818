// The light options of measure, in process: every value out of its bounds,
// and every light option without --site, is a usage error naming the
// option and what it takes; values reach the light request as given,
// negative ones written as users write them included.
#include "command_line.h"
#include "parse_in_process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace karwen;
using namespace karwen::cli;

namespace {

using karwen::test::parse;
using karwen::test::refused;

const std::vector<std::string> kMeasure{"measure", "--csv", "f.csv", "in.jpg"};
const std::vector<std::string> kSite{"--site", "45,10", "--period", "2021-06-01"};

// measure with these options; errors: what it wrote to standard error.
ParsedCommand measureWith(const std::vector<std::string>& options, std::string& errors)
{
    std::vector<std::string> args = kMeasure;
    args.insert(args.end(), options.begin(), options.end());
    return parse(args, errors);
}

std::vector<std::string> withSite(std::vector<std::string> options)
{
    options.insert(options.begin(), kSite.begin(), kSite.end());
    return options;
}

TEST(LightOptions, BadValuesAreUsageErrorsNamingTheOptionAndItsRange)
{
    const struct {
        std::vector<std::string> options;
        const char* says;
    } cases[] = {
        {{"--site", "90.5,10", "--period", "2021-06-01"}, "--site: LAT \"90.5\" must be from -90 to 90"},
        {{"--site", "45,-180.5", "--period", "2021-06-01"}, "--site: LON \"-180.5\" must be from -180 to 180"},
        {{"--site", "45,10,9001", "--period", "2021-06-01"}, "--site: ELEV \"9001\" must be from -500 to 9000"},
        {{"--site", "45", "--period", "2021-06-01"}, "--site: \"45\" is not of the form LAT,LON[,ELEV]"},
        {{"--site", "nan,10", "--period", "2021-06-01"}, "--site: LAT \"nan\""},
        {{"--site", "45,1e999", "--period", "2021-06-01"}, "--site: LON \"1e999\""},
        {withSite({"--utc-offset", "14.25"}), "--utc-offset: \"14.25\" must be from -12 to 14 in steps of 0.25"},
        {withSite({"--utc-offset", "5.3"}), "--utc-offset: \"5.3\""},
        {withSite({"--magnetic-declination", "90.5"}), "--magnetic-declination: \"90.5\" must be from -90 to 90"},
        {withSite({"--top-azimuth", "360.5"}), "--top-azimuth: \"360.5\" must be from 0 to 360"},
        {{"--site", "45,10", "--period", "2021-02-29"},
            "--period: \"2021-02-29\" is not a day of the calendar: 29 February is one only in leap years"},
        {{"--site", "45,10", "--period", "2021-13-01"}, "--period: \"2021-13-01\" is not a day of the calendar"},
        {{"--site", "45,10", "--period", "2021-6-1"}, "--period: \"2021-6-1\" is not of the form YYYY-MM-DD"},
        {{"--site", "45,10", "--period", "2021-06-01..2021-05-31"}, "--period: \"2021-06-01..2021-05-31\": "},
        {{"--site", "45,10", "--period", "2020-01-01..2030-01-02"}, "--period: \"2020-01-01..2030-01-02\": "},
        {withSite({"--time-step", "7"}), "--time-step: \"7\" must be a whole number from 1 to 60 that divides 1440"},
        {withSite({"--kt", "0"}), "--kt: \"0\" must be above 0 and at most 1"},
        {withSite({"--kt", "nan"}), "--kt: \"nan\""},
        {withSite({"--beam-fraction", "1.5"}), "--beam-fraction: \"1.5\" must be erbs or a number from 0 to 1"},
        {withSite({"--clear-sky-transmission", "0"}), "--clear-sky-transmission: \"0\" must be above 0 and at most 1"},
        {withSite({"--par-fraction", "1.5"}), "--par-fraction: \"1.5\" must be from 0 to 1"},
        {withSite({"--solar-constant", "1299"}), "--solar-constant: \"1299\" must be from 1300 to 1400"},
        {withSite({"--par-photons", "5.01"}), "--par-photons: \"5.01\" must be from 4 to 5"},
        {withSite({"--sky", "clear"}), "--sky: \"clear\" is neither uoc nor soc"},
        {withSite({"--sky-regions", "5x"}), "--sky-regions: A \"\" must be a whole number from 1 to 360"},
        {withSite({"--sky-regions", "18x"}), "--sky-regions: A \"\""},
        {withSite({"--sky-regions", "x72"}), "--sky-regions: Z \"\" must be a whole number from 1 to 90"},
        {withSite({"--sky-regions", "0x72"}), "--sky-regions: Z \"0\""},
        {withSite({"--sky-regions", "18"}), "--sky-regions: \"18\" is not of the form ZxA"},
        {withSite({"--light-daily", "-"}), "--light-daily: \"-\" is refused"},
        {{"--site", "45,10"}, "--site: needs --period"},
        {{"--period", "2021-06-01"}, "--period: needs --site"},
        // Each photo's own site counts as a site.
        {{"--site", "exif"}, "--site: needs --period"},
        {{"--site", "exif,10", "--period", "2021-06-01"}, "--site: LAT \"exif\""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = kMeasure;
        args.insert(args.end(), c.options.begin(), c.options.end());
        EXPECT_TRUE(refused(args, c.says));
    }
}

TEST(LightOptions, SiteFromThePhotosKeepsTheOtherSettings)
{
    std::string errors;
    const ParsedCommand parsed
        = measureWith({"--site", "EXIF", "--period", "2021-06-01", "--utc-offset", "2", "--kt", "0.4"}, errors);
    ASSERT_TRUE(parsed.measure) << errors;
    const LightOptions& light = parsed.measure->light;
    EXPECT_TRUE(light.siteFromPhotos);
    ASSERT_TRUE(light.request);
    EXPECT_EQ(light.request->settings.site.utcOffsetHours, 2);
    EXPECT_EQ(light.request->settings.kt, 0.4);
    EXPECT_FALSE(measureWith(kSite, errors).measure->light.siteFromPhotos);
}

TEST(LightOptions, EachNeedsTheSite)
{
    const std::vector<std::vector<std::string>> options{{"--top-azimuth", "10"}, {"--magnetic-declination", "-3"},
        {"--mirrored"}, {"--utc-offset", "1"}, {"--time-step", "5"}, {"--kt", "0.4"}, {"--beam-fraction", "erbs"},
        {"--clear-sky-transmission", "0.7"}, {"--sky", "soc"}, {"--sky-regions", "9x36"}, {"--solar-constant", "1361"},
        {"--par-fraction", "0.4"}, {"--par-photons", "4.6"}, {"--light-daily", "days.csv"}};
    for (const std::vector<std::string>& option : options) {
        std::vector<std::string> args = kMeasure;
        args.insert(args.end(), option.begin(), option.end());
        EXPECT_TRUE(refused(args, option[0] + ": only with --site and --period"));
        // With the site, the same value is taken.
        std::string errors;
        EXPECT_TRUE(measureWith(withSite(option), errors).measure) << errors;
    }
}

TEST(LightOptions, ValuesReachTheRequestNegativeOnesAsWritten)
{
    std::string errors;
    const ParsedCommand none = measureWith({}, errors);
    ASSERT_TRUE(none.measure) << errors;
    EXPECT_FALSE(none.measure->light.request);

    // The site and the period alone: every other setting its default.
    const ParsedCommand plain = measureWith({"--site", "-33.9,18.4", "--period", "2021-06-01"}, errors);
    ASSERT_TRUE(plain.measure && plain.measure->light.request) << errors;
    light::LightSettings defaults;
    defaults.site = {-33.9, 18.4, 0, 0};
    defaults.period = {{2021, 6, 1}, {2021, 6, 1}};
    EXPECT_TRUE(*plain.measure->light.request == (canopy::LightRequest{defaults, {}, false}));
    EXPECT_EQ(plain.measure->light.dailyPath, "");

    const ParsedCommand full = measureWith(
        {"--site=-33.9,-18.4,-20", "--period", "2020-02-29..2030-02-28", "--utc-offset", "-5.75",
            "--magnetic-declination", "-12.5", "--top-azimuth", "350", "--mirrored", "--time-step", "15", "--kt",
            "0.45", "--beam-fraction", "ERBS", "--clear-sky-transmission", "1", "--sky", "SOC", "--sky-regions", "9X36",
            "--solar-constant", "1361", "--par-fraction", "0", "--par-photons", "4.6", "--light-daily", "d.csv"},
        errors);
    ASSERT_TRUE(full.measure && full.measure->light.request) << errors;
    const light::LightSettings given{.site = {-33.9, -18.4, -20, -5.75},
        .period = {{2020, 2, 29}, {2030, 2, 28}},
        .timeStepMin = 15,
        .sky = light::SkyModel::Soc,
        .zenithRings = 9,
        .azimuthSectors = 36,
        .kt = 0.45,
        .beamModel = light::BeamFractionModel::Erbs,
        .clearSkyTransmission = 1,
        .solarConstant = 1361,
        .parFraction = 0,
        .parPhotons = 4.6};
    EXPECT_TRUE(*full.measure->light.request == (canopy::LightRequest{given, {350, -12.5, true}, true}));
    EXPECT_EQ(full.measure->light.dailyPath, "d.csv");

    // A negative value after a space, as a shell passes it.
    const ParsedCommand spaced
        = measureWith({"--site", "-33.9,18.4", "--period", "2021-06-01", "--utc-offset", "-5"}, errors);
    ASSERT_TRUE(spaced.measure && spaced.measure->light.request) << errors;
    EXPECT_EQ(spaced.measure->light.request->settings.site.latitudeDeg, -33.9);
    EXPECT_EQ(spaced.measure->light.request->settings.site.utcOffsetHours, -5);
    const ParsedCommand fixed = measureWith(withSite({"--beam-fraction", "0.25"}), errors);
    ASSERT_TRUE(fixed.measure && fixed.measure->light.request) << errors;
    EXPECT_EQ(fixed.measure->light.request->settings.beamFraction, 0.25);
    EXPECT_EQ(fixed.measure->light.request->settings.beamModel, light::BeamFractionModel::Fixed);
}

} // namespace
