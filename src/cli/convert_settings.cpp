#include "convert_settings.h"

#include "option_values.h"
#include "projection_model.h"

#include <cstddef>

namespace karwen::cli {

namespace {

constexpr const char* kFirstLine = "# karwen-cli convert: the settings of the results in this folder";
constexpr const char* kInterpNames[] = {"nearest", "bilinear", "cubic"};

std::string projectionName(int32_t projection) { return lowered(ProjName[static_cast<std::size_t>(projection)]); }

std::string numbers(std::initializer_list<double> values, char separator)
{
    std::string text;
    for (double v : values) {
        if (!text.empty())
            text += separator;
        text += numberText(v);
    }
    return text;
}

} // namespace

std::vector<Setting> resultSettings(const BatchSettings& s)
{
    const ProjectionRecord& src = s.srcPrm;
    const ProjectionRecord& dst = s.dstPrm;
    return {
        {"--src-projection", projectionName(src.Proj)},
        {"--circle", s.findCircle ? "each photo's own (--detect-circle)" : numbers({src.Cx, src.Cy, src.R}, ',')},
        {"--view", "view angles " + numbers({src.Alpha, src.Beta}, ',')},
        {"--tilt", numberText(src.Rot)},
        {"--dst-projection", projectionName(dst.Proj)},
        {"--size", numbers({double(s.dstW), double(s.dstH)}, 'x')},
        {"--dst-circle", numbers({dst.Cx, dst.Cy, dst.R}, ',')},
        {"--interp", kInterpNames[s.interp >= 0 && s.interp <= 2 ? s.interp : 0]},
        {"--quality", std::to_string(s.quality)},
    };
}

std::string settingsText(const std::vector<Setting>& settings)
{
    std::string text = std::string(kFirstLine) + "\n";
    for (const Setting& s : settings)
        text += s.name + " " + s.value + "\n";
    return text;
}

std::optional<std::vector<Setting>> settingsFrom(const std::string& text)
{
    const std::vector<std::string> lines = splitAt(text, '\n');
    if (lines.empty() || lines.front() != kFirstLine)
        return std::nullopt;
    std::vector<Setting> settings;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        const std::size_t space = lines[i].find(' ');
        if (space == std::string::npos)
            return std::nullopt;
        settings.push_back({lines[i].substr(0, space), lines[i].substr(space + 1)});
    }
    return settings;
}

std::vector<std::string> settingDifferences(const std::vector<Setting>& here, const std::vector<Setting>& there)
{
    std::vector<std::string> differences;
    for (const Setting& mine : here) {
        std::string theirs = "not recorded";
        for (const Setting& s : there)
            if (s.name == mine.name)
                theirs = s.value;
        if (theirs != mine.value)
            differences.push_back(mine.name + " " + mine.value + " here, " + theirs + " there");
    }
    return differences;
}

} // namespace karwen::cli
