// The command line parsed in this process, as karwen-cli would parse it,
// with what it writes to standard error caught in errors.
#pragma once

#include "command_line.h"
#include "projection_model.h"

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

} // namespace karwen::test
