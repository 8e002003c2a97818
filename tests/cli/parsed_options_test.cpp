// The options as parsed, without running anything: each value out of its
// bounds is a usage error that names the option and what it takes; an empty
// value (an unset shell variable) is one for every option of both commands,
// never the option's default, and only --postfix may be empty; the bounds
// for large photos and results hold to the last unit, so no image of that
// size is made.
#include "command_line.h"
#include "parse_in_process.h"

#include "projection_model.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

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

// Each command line is refused with the message part given; none runs.
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
        {convert, {"in", "--circle", "100,100,16384.5"}, "R \"16384.5\" must be above 10 and at most 16384"},
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
        // One more than a large photo or result may have.
        {convert, {"in", "--size", "16385x512"}, "--size"},
        {convert, {"in", "--dst-circle", "100,100,8192.5"}, "--dst-circle"},
        {convert, {"in", "--circle", "100,32768,500"}, "--circle"},
        {convert, {"in", "--circle", "100,100,16385"}, "--circle"},
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
