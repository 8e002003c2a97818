// Photos whose canopy differs by azimuth, measured by karwen-cli with light
// figures, and the columns of what it wrote.
#pragma once

#include "cli_fixture.h"

#include "canopy_csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace karwen::test {

// Three days of June at a site in the north.
inline const std::vector<std::string> kJuneSite{"--site", "45,10", "--period", "2021-06-01..2021-06-03"};

class LightRun : public CliRun {
protected:
    void SetUp() override
    {
        CliRun::SetUp();
        paintCanopy("a.bmp", 5);
        paintCanopy("b.bmp", 3);
    }

    // A fisheye disc on black: sky and leaves in checks of azimuth and
    // radius, `turns` of them around, so that the sun's track matters.
    void paintCanopy(const std::string& name, int turns) const
    {
        ASSERT_TRUE(paintPhoto(dir / "in" / name, 160, 120, [&](int x, int y) {
            const double dx = x + 0.5 - 80, dy = y + 0.5 - 60, rho = std::hypot(dx, dy);
            const int check = int((std::atan2(dy, dx) + std::numbers::pi) * turns / std::numbers::pi) + int(rho / 14);
            return rho > 55 ? packRgb(0, 0, 0) : check % 3 == 0 ? packRgb(40, 90, 60) : packRgb(250, 225, 200);
        }));
    }

    [[nodiscard]] std::string days() const { return (dir / "days.csv").string(); }

    // karwen-cli measure --csv figures.csv through the photos' circle,
    // whatever the files hold.
    [[nodiscard]] Outcome run(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"measure", "--csv", csv(), "--circle", "80,60,55"});
        return cli(args);
    }
    [[nodiscard]] Outcome runLit(std::vector<std::string> args) const
    {
        args.insert(args.begin(), kJuneSite.begin(), kJuneSite.end());
        return run(args);
    }
};

[[nodiscard]] inline double numberOf(
    const std::vector<std::vector<std::string>>& table, std::size_t row, const std::string& name)
{
    const std::string text = fieldOf(table, row, name);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return text.empty() || *end != '\0' ? NAN : value;
}

// The lines with their last `count` fields left out: a CSV's columns
// before the light columns.
[[nodiscard]] inline std::string withoutLast(const std::string& text, int count)
{
    std::string out;
    for (const std::string& line : linesOf(text)) {
        std::string cut = line;
        for (int i = 0; i < count; ++i)
            cut.erase(cut.rfind(','));
        out += cut + "\r\n";
    }
    return out;
}

} // namespace karwen::test
