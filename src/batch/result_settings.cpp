#include "result_settings.h"

#include "photo_source.h"
#include "plain_text.h"
#include "projection_model.h"

#include <algorithm>
#include <cstddef>

namespace karwen {

namespace {

constexpr const char* kFirstLine = "# karwen-cli convert: the settings of the results in this folder";

std::string recordedProjection(int32_t projection)
{
    const ProjectionKind* kind = projectionKind(projection);
    return kind ? kind->key : std::to_string(projection);
}

// The lens by its name and its figures, exact: a lens file changed under
// the same name makes other results.
std::string lensText(const NamedLens& lens)
{
    std::string text = lens.name;
    text += " (terms";
    for (const double a : lens.lens.A) {
        text += ' ';
        text += exactNumberText(a);
    }
    text += ", half field ";
    text += exactNumberText(lens.lens.HalfFov);
    text += ')';
    return text;
}

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
    std::vector<Setting> settings{
        {"--src-projection", recordedProjection(src.Proj)},
        {"--circle", s.findCircle ? "each photo's own (--detect-circle)" : numbers({src.Cx, src.Cy, src.R}, ',')},
        {"--view", "view angles " + numbers({src.Alpha, src.Beta}, ',')},
        {"--tilt", numberText(src.Rot)},
        {"--dst-projection", recordedProjection(dst.Proj)},
        {"--size", numbers({double(s.dstW), double(s.dstH)}, 'x')},
        {"--dst-circle", numbers({dst.Cx, dst.Cy, dst.R}, ',')},
        {"--interp", kInterpolationKeys[isInterpolation(s.interp) ? s.interp : 0]},
        {"--quality", std::to_string(s.quality)},
    };
    // Only a lens adds its line, so that the records of ideal projections
    // stay as earlier runs wrote them.
    if (lensOf(src, s.srcLens))
        settings.insert(settings.begin() + 1, {"--src-lens", lensText(*s.srcLens)});
    // Likewise scaled decoding: a record without the line was made from
    // photos decoded in full.
    if (s.scaledDecode)
        settings.push_back({kDecodeSettingName, "auto"});
    return settings;
}

std::string photoSettingName(const std::string& photo)
{
    std::string name = "--photo-settings:";
    for (const char c : photo)
        name += c == ' ' ? "%20" : c == '\n' ? "%0A" : c == '%' ? "%25" : std::string(1, c);
    return name;
}

std::vector<Setting> resultSettings(
    const BatchSettings& settings, const std::vector<std::pair<std::string, BatchSettings>>& ownByPhoto)
{
    std::vector<Setting> all = resultSettings(settings);
    const std::vector<Setting> run = all;
    for (const auto& [photo, own] : ownByPhoto) {
        std::string differing;
        for (const Setting& s : resultSettings(own))
            if (std::find(run.begin(), run.end(), s) == run.end())
                differing += (differing.empty() ? "" : "; ") + s.name + " " + s.value;
        if (!differing.empty())
            all.push_back({photoSettingName(photo), differing});
    }
    return all;
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
    for (const Setting& theirs : there)
        if (std::none_of(here.begin(), here.end(), [&](const Setting& s) { return s.name == theirs.name; }))
            differences.push_back(theirs.name + " not given here, " + theirs.value + " there");
    return differences;
}

} // namespace karwen
