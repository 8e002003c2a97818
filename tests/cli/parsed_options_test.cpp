// The options as parsed, without running anything: an empty value (an unset
// shell variable) is a usage error for every option of both commands, never
// the option's default, and only --postfix may be empty; the bounds for
// large photos and results hold to the last unit, so no image of that size
// is made.
#include "command_line.h"

#include "projection_model.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace karwen::cli;

namespace {

ParsedCommand parse(std::vector<std::string> args, std::string& errors)
{
    karwen::initProjectionNames();
    karwen::initCoefTables();
    args.insert(args.begin(), "karwen-cli");
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    ParsedCommand parsed = parseCommandLine(int(argv.size()), argv.data(), 1, out, err);
    errors = err.str();
    return parsed;
}

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
            const ParsedCommand parsed = parse(args, errors);
            EXPECT_EQ(parsed.exitCode, kExitUsage) << form;
            EXPECT_FALSE(parsed.convert || parsed.measure) << form;
            // The parser itself refuses "--gamma=" as a value missing.
            const std::string says = form == option ? option + ": the value is empty" : option;
            EXPECT_NE(errors.find(says), std::string::npos) << errors;
        }
    }
}

} // namespace

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
            {"--output", "--dst-projection", "--size", "--dst-circle", "--interp", "--format", "--quality"}},
        {"measure", "--csv", {"--csv", "--channel", "--gamma", "--threshold", "--rings", "--max-zenith", "--sectors"}},
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

TEST(EmptyValues, ShortNamesAreRefusedToo)
{
    std::string errors;
    EXPECT_EQ(parse({"measure", "--csv", "out.csv", "-j", "", "in.jpg"}, errors).exitCode, kExitUsage);
    EXPECT_NE(errors.find("--jobs: the value is empty"), std::string::npos) << errors;
    EXPECT_EQ(parse({"convert", "-o", "", "in.jpg"}, errors).exitCode, kExitUsage);
    EXPECT_NE(errors.find("--output: the value is empty"), std::string::npos) << errors;
}

TEST(EmptyValues, AnEmptyPostfixNamesResultsAsThePhotos)
{
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
    for (const char* refused : {"0", "1073676290", "1e6x", "-5"}) {
        EXPECT_EQ(parse({"convert", "-o", "out", "--max-pixels", refused, "in.jpg"}, errors).exitCode, kExitUsage)
            << refused;
        EXPECT_NE(errors.find("--max-pixels"), std::string::npos) << errors;
    }
}

// A 26-Mpx photo's circle and the largest result are taken as given.
TEST(OptionBounds, LargePhotosAndResultsAreAccepted)
{
    std::string errors;
    const ParsedCommand convert = parse({"convert", "-o", "out", "in.jpg", "--circle", "2953.5,2215,1960", "--view",
                                            "32767,0", "--size", "16384x16384", "--dst-circle", "8192,8192,8192"},
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

TEST(OptionBounds, OneMoreIsRefused)
{
    for (const std::vector<std::string>& args : {
             std::vector<std::string>{"--size", "16385x512"},
             std::vector<std::string>{"--dst-circle", "100,100,8192.5"},
             std::vector<std::string>{"--circle", "100,32768,500"},
             std::vector<std::string>{"--circle", "100,100,16385"},
         }) {
        std::vector<std::string> all{"convert", "-o", "out", "in.jpg"};
        all.insert(all.end(), args.begin(), args.end());
        std::string errors;
        const ParsedCommand parsed = parse(all, errors);
        EXPECT_FALSE(parsed.convert.has_value()) << args[1];
        EXPECT_EQ(parsed.exitCode, kExitUsage) << args[1];
        EXPECT_NE(errors.find(args[0]), std::string::npos) << errors;
    }
}
