// The command line's bounds for large photos and results, read without
// running anything: the parse alone, so no image of that size is made.
#include "command_line.h"

#include "projection_model.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace karwen::cli;

namespace {

ParsedCommand parse(const std::vector<std::string>& args, std::string& errors)
{
    karwen::initProjectionNames();
    karwen::initCoefTables();
    std::vector<const char*> argv{"karwen-cli"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    ParsedCommand parsed = parseCommandLine(int(argv.size()), argv.data(), 1, out, err);
    errors = err.str();
    return parsed;
}

} // namespace

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

    const ParsedCommand measure
        = parse({"measure", "--csv", "out.csv", "in.jpg", "--circle", "32767,32767,16384"}, errors);
    ASSERT_TRUE(measure.measure.has_value()) << errors;
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
