#include "command_line.h"

#include "convert_command.h"
#include "karwen_version.h"
#include "option_values.h"
#include "parallel_runner.h"
#include "projection_model.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <ostream>

namespace karwen::cli {

ParsedCommand parseCommandLine(int argc, const char* const* argv, int defaultJobs, std::ostream& out, std::ostream& err)
{
    CLI::App app(
        "Converts hemispherical photos between fisheye projections, as the window's batch does.", "karwen-cli");
    app.set_version_flag("--version", std::string("karwen-cli ") + kVersionText);
    app.require_subcommand(1);
    CLI::App* convert = app.add_subcommand("convert", "Convert photos into a folder of results.");
    const auto convertOptions = addConvertOptions(*convert, defaultJobs);
    try {
        app.parse(argc, argv);
        return {convertOptions(), kExitDone};
    } catch (const CLI::Success& e) {
        (void)app.exit(e, out, err);
        return {};
    } catch (const CLI::ParseError& e) {
        (void)app.exit(e, out, err);
        return {std::nullopt, kExitUsage};
    } catch (const UsageError& e) {
        err << "karwen-cli convert: " << e.what() << "\nRun with --help for more information.\n";
        return {std::nullopt, kExitUsage};
    }
}

int runCommandLine(int argc, const char* const* argv)
{
    initProjectionNames();
    initCoefTables();
    const ParsedCommand command = parseCommandLine(argc, argv, availableCpus(), std::cout, std::cerr);
    if (command.convert)
        return runConvert(*command.convert);
    return command.exitCode;
}

} // namespace karwen::cli
