// A scratch folder with an "in" and an "out" folder, photos painted into it,
// and karwen-cli run over them as a separate process: convert into "out",
// measure into "figures.csv".
#pragma once

#include "batch_test_support.h"
#include "other_user.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace karwen::test {

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

    // karwen-cli convert -o out <args>; its exit code and what it printed.
    [[nodiscard]] test_support::Outcome convert(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {KARWEN_CLI, "convert", "-o", out()});
        return test_support::runProgram(args);
    }

    [[nodiscard]] std::string csv() const { return (dir / "figures.csv").string(); }

    // karwen-cli measure --csv figures.csv <args> into a new file: the CSV
    // of an earlier run is removed first.
    [[nodiscard]] test_support::Outcome measure(std::vector<std::string> args) const
    {
        std::filesystem::remove(csv());
        args.insert(args.begin(), {KARWEN_CLI, "measure", "--csv", csv()});
        return test_support::runProgram(args);
    }

    ScratchFolder dir;
};

// Whether a message holds the words looked for.
[[nodiscard]] inline bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
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
