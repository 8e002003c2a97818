// The options as parsed, without running anything: each value out of its
// bounds is a usage error that names the option and what it takes; an empty
// value (an unset shell variable) is one for every option of both commands,
// never the option's default, and only --postfix may be empty; the bounds
// for large photos and results hold to the last unit, so no image of that
// size is made. The light options of measure likewise, each refused
// without --site; their values reach the light request as given, negative
// ones written as users write them included.
#include "command_line.h"
#include "parse_in_process.h"

#include "projection_model.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

using namespace karwen;
using namespace karwen::cli;

namespace {

using karwen::test::parse;
using karwen::test::refused;

// Each option given an empty value, as "--gamma ''" and "--gamma=", after a
// command line that works: `command` and the command's one required option,
// which the case of that option leaves out.
void expectEveryEmptyValueRefused(
    const std::vector<std::string>& command, const std::string& required, const std::vector<std::string>& options)
{
    std::vector<std::string> works = command;
    works.insert(works.end(), {required, "out"});
    std::string errors;
    ASSERT_EQ(parse(works, errors).exitCode, kExitDone) << errors;
    for (const std::string& option : options) {
        for (const std::string& form : {option, option + "="}) {
            std::vector<std::string> args = command;
            if (option != required)
                args.insert(args.end(), {required, "out"});
            if (option == "INPUT") {
                if (form != option)
                    continue;
                args.push_back("");
            } else {
                args.push_back(form);
                if (form == option)
                    args.push_back("");
            }
            // The parser itself refuses "--gamma=" as a value missing.
            EXPECT_TRUE(refused(args, form == option ? option + ": the value is empty" : option));
        }
    }
}

} // namespace

// Each command line is refused with the message part given; none runs. The
// bounds of the circle, size and result circle to the last unit are the
// parameter fields' (FieldBounds).
TEST(UsageErrors, NameTheOptionAndWhatItTakes)
{
    const std::vector<std::string> convert{"convert", "-o", "out"}, measure{"measure", "--csv", "f.csv"};
    const struct {
        const std::vector<std::string>& command;
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {convert, {"--bogus", "in"}, "--bogus"},
        {convert, {}, "INPUT"},
        {convert, {"in", "--circle", "100,100,10"}, "R \"10\" must be above 10 and at most 16384"},
        {convert, {"in", "--circle", "32767.5,100,500"}, "CX \"32767.5\" must be from 0 to 32767"},
        {convert, {"in", "--circle", "100,100"}, "is not of the form CX,CY,R"},
        {convert, {"in", "--view", "10,10"}, "--view"},
        {convert, {"in", "--circle", "100,100,50", "--detect-circle"}, "--detect-circle"},
        {convert, {"in", "--tilt", "181"}, "must be from -180 to 180"},
        {convert, {"in", "--size", "7x100"}, "W \"7\" must be a whole number from 8 to 16384"},
        {convert, {"in", "--size", "512x16385"}, "H \"16385\" must be a whole number from 8 to 16384"},
        {convert, {"in", "--size", "16x16"}, "--dst-circle (from --size): R \"8\""},
        {convert, {"in", "--dst-circle", "0,10,20"}, "must be above 0 and at most 16384"},
        {convert, {"in", "--src-projection", "perspective"}, "is none of orthographic, equisolidangle, equidistant"},
        {convert, {"in", "--interp", "linear"}, "--interp"},
        {convert, {"in", "--format", "png"}, "--format"},
        {convert, {"in", "--quality", "0"}, "--quality"},
        {convert, {"in", "--postfix", "/x"}, "--postfix"},
        {convert, {"in", "-j", "0"}, "--jobs"},
        {convert, {"in", "--shard", "3/2"}, "--shard K"},
        {convert, {"in", "--shard", "1-2"}, "--shard"},
        {convert, {"in", "--decode", "half"}, "--decode: \"half\" is neither auto nor full"},
        {convert, {"in", "--decode", "1/2"}, "--decode: \"1/2\""},
        {convert, {"in", "--decode", "ful"}, "--decode: \"ful\""},
        {measure, {"in", "--threshold", "median"},
            "--threshold: \"median\" must be otsu, ridler, minimum, edge or a whole number"},
        {measure, {"in", "--threshold", "256"}, "--threshold"},
        {measure, {"in", "--threshold", "12.5"}, "--threshold"},
        {measure, {"in", "--rings", "0"}, "--rings: \"0\" must be a whole number from 1 to 18"},
        {measure, {"in", "--rings", "19"}, "--rings"},
        {measure, {"in", "--sectors", "37"}, "--sectors: \"37\" must be a whole number from 1 to 36"},
        {measure, {"in", "--gamma", "0.05"}, "--gamma: \"0.05\" must be from 0.1 to 10"},
        {measure, {"in", "--max-zenith", "0"}, "--max-zenith: \"0\" must be above 0 and at most 90"},
        {measure, {"in", "--max-zenith", "90.5"}, "--max-zenith"},
        {measure, {"in", "--channel", "red"}, "--channel"},
        {measure, {"in", "--circle", "60,50,40", "--detect-circle"}, "--detect-circle"},
        {measure, {}, "INPUT"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.command;
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_TRUE(refused(args, c.says));
    }
}

TEST(EmptyValues, AreRefusedByBothCommands)
{
    const std::vector<std::string> shared{
        "--jobs", "--shard", "--max-pixels", "--src-projection", "--circle", "--tilt"};
    const struct {
        const char* command;
        const char* required;
        std::vector<std::string> options;
    } commands[] = {
        {"convert", "--output",
            {"--output", "--dst-projection", "--size", "--dst-circle", "--interp", "--format", "--quality",
                "--decode"}},
        {"measure", "--csv",
            {"--csv", "--channel", "--gamma", "--threshold", "--rings", "--max-zenith", "--sectors", "--site",
                "--period", "--utc-offset", "--time-step", "--top-azimuth", "--magnetic-declination", "--kt",
                "--beam-fraction", "--clear-sky-transmission", "--sky", "--sky-regions", "--solar-constant",
                "--par-fraction", "--par-photons", "--light-daily"}},
    };
    for (const auto& c : commands) {
        std::vector<std::string> options = shared;
        options.insert(options.end(), c.options.begin(), c.options.end());
        options.push_back("INPUT");
        expectEveryEmptyValueRefused({c.command, "in.jpg"}, c.required, options);
        // --view needs --circle.
        expectEveryEmptyValueRefused({c.command, "in.jpg", "--circle", "50,50,40"}, c.required, {"--view"});
    }
}

// Short names too; only --postfix may be empty: results named as the photos.
TEST(EmptyValues, ShortNamesAreRefusedAnEmptyPostfixIsTaken)
{
    EXPECT_TRUE(refused({"measure", "--csv", "out.csv", "-j", "", "in.jpg"}, "--jobs: the value is empty"));
    EXPECT_TRUE(refused({"convert", "-o", "", "in.jpg"}, "--output: the value is empty"));
    std::string errors;
    const ParsedCommand parsed = parse({"convert", "-o", "out", "--postfix", "", "in.jpg"}, errors);
    ASSERT_TRUE(parsed.convert.has_value()) << errors;
    EXPECT_EQ(parsed.convert->postfix, "");
}

TEST(OptionBounds, MaxPixelsTakesItsBoundsAndDefault)
{
    std::string errors;
    const ParsedCommand plain = parse({"measure", "--csv", "out.csv", "in.jpg"}, errors);
    ASSERT_TRUE(plain.measure.has_value()) << errors;
    EXPECT_EQ(plain.measure->run.maxPixels, 600'000'000);
    const ParsedCommand largest = parse({"convert", "-o", "out", "--max-pixels", "1073676289", "in.jpg"}, errors);
    ASSERT_TRUE(largest.convert.has_value()) << errors;
    EXPECT_EQ(largest.convert->run.maxPixels, 32767 * 32767);
    for (const char* value : {"0", "1073676290", "1e6x", "-5"})
        EXPECT_TRUE(refused({"convert", "-o", "out", "--max-pixels", value, "in.jpg"}, "--max-pixels"));
}

// A 26-Mpx photo's circle and the largest result are taken as given.
TEST(OptionBounds, LargePhotosAndResultsAreAccepted)
{
    std::string errors;
    const ParsedCommand convert
        = parse({"convert", "-o", "out", "in.jpg", "--circle", "2953.5,2215,1960", "--view", "32767,0", "--size",
                    "16384x16384", "--dst-circle", "8192,8192,8192", "--decode", "FULL"},
            errors);
    ASSERT_TRUE(convert.convert.has_value()) << errors;
    EXPECT_EQ(double(convert.convert->settings.srcPrm.Cx), 2953.5);
    EXPECT_EQ(double(convert.convert->settings.srcPrm.R), 1960.0);
    EXPECT_EQ(convert.convert->settings.dstW, 16384);
    EXPECT_EQ(convert.convert->settings.dstH, 16384);
    EXPECT_EQ(double(convert.convert->settings.dstPrm.R), 8192.0);
    EXPECT_TRUE(parse({"measure", "--csv", "out.csv", "in.jpg", "--circle", "32767,32767,16384"}, errors).measure)
        << errors;
}

// Every key of the table of projections, in any case, names its code where
// the option may take it, and only there.
TEST(ParsedOptions, ProjectionKeysFromTheTable)
{
    for (const karwen::ProjectionKind& kind : karwen::kProjectionKinds) {
        if (kind.lens)
            continue;
        for (std::string key : {std::string(kind.key), std::string(kind.shortKey)}) {
            if (key.empty())
                continue;
            key[0] = char(std::toupper(static_cast<unsigned char>(key[0])));
            std::string errors;
            const ParsedCommand dst = parse({"convert", "-o", "out", "in", "--dst-projection", key}, errors);
            ASSERT_TRUE(dst.convert) << key << errors;
            EXPECT_EQ(dst.convert->settings.dstPrm.Proj, kind.code) << key;
            const ParsedCommand src = parse({"convert", "-o", "out", "in", "--src-projection", key}, errors);
            EXPECT_EQ(src.convert.has_value(), kind.fisheye) << key << errors;
            if (src.convert) {
                EXPECT_EQ(src.convert->settings.srcPrm.Proj, kind.code) << key;
            }
        }
    }
}

namespace {

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
        {{"--site", "45,10", "--period", "2021-6-1"}, "--period: \"2021-6-1\" is not of the form YYYY-MM-DD"},
        {{"--site", "45,10", "--period", "2021-06-01..2021-05-31"}, "--period: \"2021-06-01..2021-05-31\": "},
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
