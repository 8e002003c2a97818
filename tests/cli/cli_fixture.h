// A scratch folder with an "in" and an "out" folder, photos painted into it,
// and karwen-cli run over them as a separate process: convert into "out",
// measure into "figures.csv"; and the checks of what it printed and wrote.
#pragma once

#include "batch_test_support.h"
#include "canopy_csv_reading.h"
#include "other_user.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace karwen::test {

using test_support::Outcome;

// karwen-cli <args>: its exit code and what it printed.
[[nodiscard]] inline Outcome cli(std::vector<std::string> args)
{
    args.insert(args.begin(), KARWEN_CLI);
    return test_support::runProgram(args);
}

class CliRun : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir / "in"); }

    // The photo in/<name> (BMP or JPEG by its last three letters): a disc
    // of the colour on black, as a fisheye camera takes it, so that its
    // circle can be found.
    void photo(const std::string& name, uint32_t colour = test::packRgb(90, 140, 200), int width = 96, int height = 80)
    {
        const Disc disc{width / 2, height / 2, std::min(width, height) * 2 / 5};
        ASSERT_TRUE(writePhoto(dir / "in" / name, width, height, colour, &disc)) << name;
    }

    [[nodiscard]] std::string in(const std::string& name = {}) const { return (dir / "in" / name).string(); }
    [[nodiscard]] std::string out(const std::string& name = {}) const { return (dir / "out" / name).string(); }

    // karwen-cli convert -o out <args>.
    [[nodiscard]] Outcome convert(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"convert", "-o", out()});
        return cli(args);
    }

    [[nodiscard]] std::string csv() const { return (dir / "figures.csv").string(); }

    // karwen-cli measure --csv figures.csv <args> into a new file: the CSV
    // of an earlier run is removed first.
    [[nodiscard]] Outcome measure(std::vector<std::string> args) const
    {
        std::filesystem::remove(csv());
        args.insert(args.begin(), {"measure", "--csv", csv()});
        return cli(args);
    }
    // karwen-cli measure --csv figures.csv through the circle of photo()'s
    // disc, whatever the file holds.
    [[nodiscard]] Outcome measureAt(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"measure", "--csv", csv(), "--circle", "48,40,32"});
        return cli(args);
    }
    // The field under the column `name` in the CSV's row of `path`.
    [[nodiscard]] std::string cell(const std::string& path, const std::string& name) const;

    ScratchFolder dir;
};

// karwen-cli with a shell in front: `shell` ends in `exec "$0" "$@"`.
[[nodiscard]] inline Outcome throughShell(const std::string& shell, std::vector<std::string> args)
{
    args.insert(args.begin(), {"/bin/sh", "-c", shell, KARWEN_CLI});
    return test_support::runProgram(args);
}

// Whether a text holds the words looked for; a failure shows the text.
[[nodiscard]] inline ::testing::AssertionResult has(const std::string& text, const std::string& part)
{
    return (text.find(part) != std::string::npos ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
        << "\"" << part << "\" in:\n"
        << text;
}

// Whether a run ended with this exit code, its output holding each text.
[[nodiscard]] inline ::testing::AssertionResult ended(
    const Outcome& run, int exitCode, std::initializer_list<std::string> says = {})
{
    if (run.exitCode != exitCode)
        return ::testing::AssertionFailure() << "exit code " << run.exitCode << ", not " << exitCode << ":\n"
                                             << run.output;
    for (const std::string& part : says)
        if (!has(run.output, part))
            return has(run.output, part);
    return ::testing::AssertionSuccess();
}

// The text's lines without their line ends (LF or CR LF).
[[nodiscard]] inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    return lines;
}

// The lines that hold part.
[[nodiscard]] inline std::vector<std::string> linesWith(const std::string& text, const std::string& part)
{
    std::vector<std::string> found;
    for (const std::string& line : linesOf(text))
        if (has(line, part))
            found.push_back(line);
    return found;
}

// The line of a CSV that starts with path and a comma, "" when none does.
[[nodiscard]] inline std::string rowOf(const std::string& csv, const std::string& path)
{
    for (const std::string& line : linesOf(csv))
        if (line.starts_with(path + ","))
            return line;
    return {};
}

inline std::string crlf(const std::string& line) { return line + "\r\n"; }

// A CSV's lines split into fields, the header first.
[[nodiscard]] inline std::vector<std::vector<std::string>> tableOf(const std::string& text)
{
    std::vector<std::vector<std::string>> table;
    for (const std::string& line : linesOf(text))
        table.push_back(canopy::csvFields(line).value_or(std::vector<std::string>{}));
    return table;
}

// The field of a row in the header's column `name`; "(none)" without one.
[[nodiscard]] inline std::string fieldOf(
    const std::vector<std::vector<std::string>>& table, std::size_t row, const std::string& name)
{
    for (std::size_t i = 0; !table.empty() && i < table[0].size(); ++i)
        if (table[0][i] == name && row < table.size() && i < table[row].size())
            return table[row][i];
    return "(none)";
}

inline std::string CliRun::cell(const std::string& path, const std::string& name) const
{
    const auto table = tableOf(readBytes(csv()));
    for (std::size_t row = 1; row < table.size(); ++row)
        if (!table[row].empty() && table[row][0] == path)
            return fieldOf(table, row, name);
    return "(no row of " + path + ")";
}

// Modification time in nanoseconds, to see whether a file was written again.
[[nodiscard]] inline long long modified(const std::string& path)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0)
        return -1;
    return info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec;
}

} // namespace karwen::test
