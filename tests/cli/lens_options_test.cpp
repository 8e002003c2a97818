// Lenses on the command line, in process: --src-lens stands for
// --src-projection and carries the lens found, its refusals are usage
// errors with the catalogue's reason, and lens-fit reads points files with
// any of its separators and prints a lens file that reads back as the lens
// fitted.
#include "command_line.h"
#include "lens_catalogue.h"
#include "lens_fit_command.h"
#include "parse_in_process.h"

#include "../common/scratch_folder.h"
#include "projection_model.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <iostream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

using namespace karwen;
using namespace karwen::cli;

namespace {

using karwen::test::parse;
using karwen::test::refused;

constexpr const char* kEquidistantPoly = "poly:0.6366197723675813";

TEST(SrcLens, StandsForTheProjectionAndCarriesTheLens)
{
    std::string errors;
    const ParsedCommand convert = parse({"convert", "-o", "out", "--src-lens", kEquidistantPoly, "x.jpg"}, errors);
    ASSERT_TRUE(convert.convert) << errors;
    EXPECT_EQ(convert.convert->settings.srcPrm.Proj, RixLensSource);
    ASSERT_TRUE(convert.convert->settings.srcLens);
    EXPECT_EQ(convert.convert->settings.srcLens->name, kEquidistantPoly);
    EXPECT_EQ(convert.convert->settings.srcLens->lens.A[0], 0.6366197723675813);

    const std::string builtIn = builtInLenses().front().name;
    std::string shouted = builtIn;
    for (char& c : shouted)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    const ParsedCommand named
        = parse({"convert", "-o", "out", "--src-lens", shouted, "--circle", "50,40,30", "x.jpg"}, errors);
    ASSERT_TRUE(named.convert) << errors;
    EXPECT_EQ(named.convert->settings.srcLens->name, builtIn);
    EXPECT_EQ(named.convert->settings.srcPrm.R, 30);
    EXPECT_EQ(named.convert->settings.srcPrm.Alpha, 0); // the centre looks along the axis
    EXPECT_EQ(named.convert->settings.srcPrm.Beta, 0);

    // Without --src-lens no lens travels.
    const ParsedCommand ideal = parse({"convert", "-o", "out", "x.jpg"}, errors);
    ASSERT_TRUE(ideal.convert) << errors;
    EXPECT_EQ(ideal.convert->settings.srcPrm.Proj, kEquidistant);
    EXPECT_FALSE(ideal.convert->settings.srcLens);
}

TEST(SrcLens, RefusalsAreUsageErrorsWithTheirReason)
{
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"convert", "-o", "out", "--src-lens", kEquidistantPoly, "--src-projection", "equidistant", "x.jpg"},
            "--src-projection excludes --src-lens"},
        {{"measure", "--csv", "f.csv", "--src-projection", "equisolid", "--src-lens", kEquidistantPoly, "x.jpg"},
            "excludes"},
        {{"convert", "-o", "out", "--src-lens", "no-such-lens", "x.jpg"},
            "karwen-cli convert: --src-lens: no lens called 'no-such-lens'"},
        {{"convert", "-o", "out", "--src-lens", "poly:1,-1", "x.jpg"}, "does not rise over its field of view"},
        {{"convert", "-o", "out", "--src-lens", "poly:0.5", "x.jpg"}, "reaches 0.7854 at 90 degrees, not 1"},
        {{"lens-fit", "p.csv", "--degree", "6"}, "karwen-cli lens-fit: --degree"},
        {{"lens-fit", "p.csv", "--degree", "0"}, "--degree"},
        {{"lens-fit", "p.csv", "--half-fov", "0"}, "--half-fov: \"0\" must be a number above 0 and at most 120"},
        {{"lens-fit", "p.csv", "--half-fov", "120.5"}, "--half-fov"},
        {{"lens-fit", "p.csv", "--half-fov", ""}, "--half-fov: the value is empty"},
        {{"lens-fit"}, "POINTS"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(refused(c.args, c.says));
}

TEST(LensFitPoints, AnySeparatorCommentsAndAHeader)
{
    std::string why;
    const auto marks = lensMarksFromText("radius_px;zenith_deg\r\n"
                                         "# a mark on the axis\n"
                                         "0, 0\n"
                                         "\n"
                                         "  101.5 \t 10   # blanks\n"
                                         "203;20\r\n"
                                         "3.05e2 , 30",
        &why);
    ASSERT_TRUE(marks) << why;
    ASSERT_EQ(marks->size(), 4u);
    EXPECT_EQ((*marks)[1].radius, 101.5);
    EXPECT_EQ((*marks)[1].zenithDeg, 10);
    EXPECT_EQ((*marks)[3].radius, 305);
    EXPECT_EQ((*marks)[3].zenithDeg, 30);

    const struct {
        const char* text;
        const char* says;
    } bad[] = {
        {"0,0\n10,x\n", "line 2: expected a radius in pixels and a zenith angle in degrees, two numbers, not \"10,x\""},
        {"r,theta\n10,1\n20\n", "line 3"},
        {"r,theta\n10,1,2\n", "line 2"},
        {"10,,1\n", "line 1"}, // numbers: not the columns' names
        {"a b\nc d\n", "line 2"},
        {"1,nan\n", "line 1"},
    };
    for (const auto& c : bad) {
        EXPECT_FALSE(lensMarksFromText(c.text, &why)) << c.text;
        EXPECT_NE(why.find(c.says), std::string::npos) << c.text << ": " << why;
    }
}

TEST(LensFitCommand, PrintsALensFileThatReadsBackAsTheFit)
{
    test::ScratchFolder dir;
    // Marks of rho = 0.62 t + 0.05 t^2 - 0.02 t^3 (roughly normalised) on R = 800.
    std::string points = "radius zenith\n";
    std::vector<LensMark> marks;
    for (int deg = 0; deg <= 96; deg += 8) {
        const double t = deg * std::numbers::pi / 180;
        marks.push_back({800 * (0.62 * t + 0.05 * t * t - 0.02 * t * t * t), double(deg)});
        points += std::to_string(marks.back().radius) + " " + std::to_string(deg) + "\n";
    }
    const std::string path = (dir.path() / "marks#1.csv").string();
    test::writeBytes(path, points);
    std::ostringstream out, err;
    ASSERT_EQ(runLensFit({path, 3, 100.0}, std::cin, out, err), kExitDone) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("# R, the radius of the 90-degree circle: "), std::string::npos) << text;
    EXPECT_NE(text.find("# RMS: 0.00"), std::string::npos) << text;
    EXPECT_NE(text.find("source: lens-fit of marks_1.csv\n"), std::string::npos) << text;

    const auto parsedMarks = lensMarksFromText(points, nullptr);
    const auto fit = fitLens(*parsedMarks, 3, 100.0, nullptr);
    ASSERT_TRUE(fit);
    const std::string lensPath = (dir.path() / "my.lens").string();
    test::writeBytes(lensPath, text);
    std::string why;
    const auto lens = findLens(lensPath, &why);
    ASSERT_TRUE(lens) << why << "\n" << text;
    EXPECT_EQ(lens->name, "my");
    EXPECT_EQ(lens->lens.HalfFov, 100);
    for (int k = 0; k < RIX_LENS_TERMS; ++k)
        EXPECT_EQ(lens->lens.A[k], fit->lens.A[k]) << "a" << k + 1;

    // A points file that gives no lens: exit 1, its name and the reason.
    test::writeBytes(path, "10,5\n20,10\n");
    std::ostringstream none, noneErr;
    EXPECT_EQ(runLensFit({path, 3, {}}, std::cin, none, noneErr), kExitFailures);
    EXPECT_TRUE(none.str().empty());
    EXPECT_NE(noneErr.str().find("marks#1.csv\": 2 points cannot fix 3 terms"), std::string::npos) << noneErr.str();
    test::writeBytes(path, "radius zenith\n# no marks yet\n");
    std::ostringstream emptyErr;
    EXPECT_EQ(runLensFit({path, 3, {}}, std::cin, none, emptyErr), kExitFailures);
    EXPECT_NE(emptyErr.str().find("no line holds a mark"), std::string::npos) << emptyErr.str();
    std::ostringstream missingErr;
    EXPECT_EQ(runLensFit({(dir.path() / "missing.csv").string(), 3, {}}, std::cin, none, missingErr), kExitFailures);
    EXPECT_EQ(missingErr.str().rfind("karwen-cli lens-fit: ", 0), 0u) << missingErr.str();

    // - reads the marks from standard input, and the lens file says so.
    std::istringstream piped(points);
    std::ostringstream fromPipe, pipeErr;
    ASSERT_EQ(runLensFit({"-", 3, 100.0}, piped, fromPipe, pipeErr), kExitDone) << pipeErr.str();
    EXPECT_NE(fromPipe.str().find("source: lens-fit of standard input\n"), std::string::npos) << fromPipe.str();
    EXPECT_EQ(fromPipe.str().substr(fromPipe.str().find("half_fov")), text.substr(text.find("half_fov")));
    // One point is one, not one points.
    std::istringstream onePoint("100,30\n");
    std::ostringstream oneErr;
    EXPECT_EQ(runLensFit({"-", 3, {}}, onePoint, none, oneErr), kExitFailures);
    EXPECT_NE(oneErr.str().find("standard input: 1 point cannot fix 3 terms"), std::string::npos) << oneErr.str();
}

} // namespace
