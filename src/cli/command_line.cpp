#include "command_line.h"

#include "area_model.h"
#include "convert_command.h"
#include "karwen_version.h"
#include "lens_fit_command.h"
#include "measure_command.h"
#include "option_values.h"
#include "parallel_runner.h"
#include "projection_model.h"
#include "run_control.h"
#include "shown_text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <iterator>
#include <ostream>

namespace karwen::cli {

namespace {

// Options whose value may be empty text; every other option's may not, so
// that an unset shell variable is never taken for the default.
constexpr const char* kMayBeEmpty[] = {"--postfix"};

void refuseEmptyValues(const CLI::App& command)
{
    for (const CLI::Option* option : command.get_options()) {
        const std::string name = option->get_name();
        if (option->get_type_size_max() == 0 || std::ranges::find(kMayBeEmpty, name) != std::end(kMayBeEmpty))
            continue;
        for (const std::string& value : option->results())
            if (value.empty())
                throw UsageError(name + ": the value is empty");
    }
}

} // namespace

ParsedCommand parseCommandLine(int argc, const char* const* argv, int defaultJobs, std::ostream& out, std::ostream& err)
{
    CLI::App app("Converts hemispherical photos between fisheye projections, as the window's batch does, "
                 "measures their canopy, and fits lens functions from calibration marks.",
        "karwen-cli");
    app.set_version_flag("--version", std::string("karwen-cli ") + kVersionText);
    app.require_subcommand(1);
    CLI::App* convert = app.add_subcommand("convert", "Convert photos into a folder of results.");
    const auto convertOptions = addConvertOptions(*convert, defaultJobs);
    CLI::App* measure = app.add_subcommand("measure", "Measure the canopy of photos into one CSV file.");
    const auto measureOptions = addMeasureOptions(*measure, defaultJobs);
    CLI::App* lensFit = app.add_subcommand(
        "lens-fit", "Fit a lens function to marks at known zenith angles and print it as a lens file.");
    const auto lensFitOptions = addLensFitOptions(*lensFit);
    const auto chosen = [&] { return measure->parsed() ? measure : lensFit->parsed() ? lensFit : convert; };
    try {
        app.parse(argc, argv);
        refuseEmptyValues(*chosen());
        if (measure->parsed())
            return {std::nullopt, measureOptions(), kExitDone, std::nullopt};
        if (lensFit->parsed())
            return {std::nullopt, std::nullopt, kExitDone, lensFitOptions()};
        return {convertOptions(), std::nullopt, kExitDone, std::nullopt};
    } catch (const CLI::Success& e) {
        (void)app.exit(e, out, err);
        return {};
    } catch (const CLI::ParseError& e) {
        (void)app.exit(e, out, err);
        return {std::nullopt, std::nullopt, kExitUsage, std::nullopt};
    } catch (const UsageError& e) {
        err << "karwen-cli " << chosen()->get_name() << ": " << shownText(e.what())
            << "\nRun with --help for more information.\n";
        return {std::nullopt, std::nullopt, kExitUsage, std::nullopt};
    }
}

int runCommandLine(int argc, const char* const* argv)
{
    keepStandardStreamsOpen();
    initProjectionNames();
    initCoefTables();
    InitAreaTables();
    const ParsedCommand command = parseCommandLine(argc, argv, availableCpus(), std::cout, std::cerr);
    if (command.convert)
        return runConvert(*command.convert);
    if (command.measure)
        return runMeasure(*command.measure);
    if (command.lensFit)
        return runLensFit(*command.lensFit, std::cin, std::cout, std::cerr);
    return command.exitCode;
}

} // namespace karwen::cli
