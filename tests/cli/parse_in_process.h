// The command line parsed in this process, as karwen-cli would parse it,
// with what it writes to standard error caught in errors.
#pragma once

#include "command_line.h"
#include "projection_model.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace karwen::test {

inline cli::ParsedCommand parse(std::vector<std::string> args, std::string& errors)
{
    initProjectionNames();
    initCoefTables();
    args.insert(args.begin(), "karwen-cli");
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    cli::ParsedCommand parsed = cli::parseCommandLine(int(argv.size()), argv.data(), 1, out, err);
    errors = err.str();
    return parsed;
}

// Whether the command line is a usage error, nothing to run, whose message
// holds `says`.
[[nodiscard]] inline ::testing::AssertionResult refused(const std::vector<std::string>& args, const std::string& says)
{
    std::string errors;
    const cli::ParsedCommand parsed = parse(args, errors);
    if (parsed.exitCode == cli::kExitUsage && !parsed.convert && !parsed.measure && !parsed.lensFit
        && errors.find(says) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "exit " << parsed.exitCode << ", \"" << says << "\" in:\n" << errors;
}

} // namespace karwen::test
