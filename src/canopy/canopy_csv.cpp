#include "canopy_csv.h"

#include "canopy_csv_reading.h"
#include "file_bytes.h"
#include "file_error.h"
#include "projection_model.h"
#include "reported_figures.h"
#include "save_file.h"
#include "utf8_path.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <vector>

namespace karwen::canopy {

namespace {

constexpr int kFigureDecimals = 6;
constexpr int kRecordDecimals = 2;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Fixed decimals, or the shortest text that reads back the same (decimals
// < 0); empty for a value that does not exist.
std::string number(double value, int decimals)
{
    if (!std::isfinite(value))
        return {};
    std::array<char, 64> text{};
    const auto result = decimals < 0
        ? std::to_chars(text.data(), text.data() + text.size(), value)
        : std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals);
    std::string written(text.data(), result.ptr);
    // A small negative value rounds to zero digits; its sign says nothing.
    if (written.starts_with('-') && written.find_first_not_of("0.", 1) == std::string::npos)
        written.erase(0, 1);
    return written;
}

std::string figure(double value) { return number(value, kFigureDecimals); }
std::string flag(bool value) { return value ? "1" : "0"; }

const char* circleName(CircleOrigin c)
{
    switch (c) {
    case CircleOrigin::Given:
        return "given";
    case CircleOrigin::Detected:
        return "detected";
    case CircleOrigin::Window:
        return "window";
    case CircleOrigin::Table:
        return "table";
    }
    return "";
}

// The name in the table of projections ("lens" for a source read through a
// real lens), else the code.
std::string projectionName(int32_t p)
{
    const ProjectionKind* kind = projectionKind(p);
    return kind ? kind->name : std::to_string(p);
}

std::string joined(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += csvField(fields[i]);
    }
    return line;
}

// A column's field in a measured photo's row; "" for a value that does not
// exist there.
using Field = std::string (*)(const CanopyRow&);

struct Column {
    std::string_view name;
    Field field;
};

const PixelFigures& pixelsOf(const CanopyRow& row) { return *row.pixels; }
std::string record(double value) { return number(value, kRecordDecimals); }
// A figure of the dots, "" without dot figures.
template <typename Read> std::string ofDots(const CanopyRow& row, Read read)
{
    return row.dots ? read(*row.dots) : std::string();
}
// A figure of the dots' le and its interval as reported, "" without one.
template <typename Read> std::string ofLe(const CanopyRow& row, Read read)
{
    return row.dots && row.dots->le ? read(reportedLe(*row.dots)) : std::string();
}

// The columns before the rings' gap fractions, in the file's order. A
// failed photo's row holds only the first two.
const Column kLeadColumns[] = {
    {"file", [](const CanopyRow& r) { return csvText(r.file); }},
    {"error", [](const CanopyRow& r) { return csvText(r.error); }},
    {"projection", [](const CanopyRow& r) { return projectionName(r.source.Proj); }},
    {"cx", [](const CanopyRow& r) { return record(r.source.Cx); }},
    {"cy", [](const CanopyRow& r) { return record(r.source.Cy); }},
    {"r", [](const CanopyRow& r) { return record(r.source.R); }},
    {"alpha", [](const CanopyRow& r) { return record(r.source.Alpha); }},
    {"beta", [](const CanopyRow& r) { return record(r.source.Beta); }},
    {"rot", [](const CanopyRow& r) { return record(r.source.Rot); }},
    {"channel", [](const CanopyRow& r) { return std::string(keyOf(r.settings.channel)); }},
    {"gamma", [](const CanopyRow& r) { return number(r.settings.gamma, -1); }},
    {"method", [](const CanopyRow& r) { return std::string(keyOf(r.settings.method)); }},
    {"threshold", [](const CanopyRow& r) { return std::to_string(pixelsOf(r).threshold); }},
    {"rings", [](const CanopyRow& r) { return std::to_string(r.settings.rings); }},
    {"sectors", [](const CanopyRow& r) { return std::to_string(r.settings.sectors); }},
    {"max_zenith", [](const CanopyRow& r) { return number(r.settings.maxZenithDeg, -1); }},
    {"openness", [](const CanopyRow& r) { return figure(pixelsOf(r).openness); }},
    {"difn", [](const CanopyRow& r) { return figure(pixelsOf(r).difn); }},
    {"le", [](const CanopyRow& r) { return figure(reportedLe(pixelsOf(r))); }},
    {"l", [](const CanopyRow& r) { return figure(reportedL(pixelsOf(r))); }},
    {"lx", [](const CanopyRow& r) { return figure(reportedLx(pixelsOf(r))); }},
    {"saturated", [](const CanopyRow& r) { return flag(pixelsOf(r).saturated); }},
    {"partial", [](const CanopyRow& r) { return flag(pixelsOf(r).partial); }},
    {"covered", [](const CanopyRow& r) { return figure(pixelsOf(r).coveredShare); }},
};

// gf_1 ... gf_N come between these two tables.
const Column kTrailColumns[] = {
    {"dots_projection", [](const CanopyRow& r) { return projectionName(r.dstProjection); }},
    {"openness_dots",
        [](const CanopyRow& r) { return ofDots(r, [](const DotFigures& d) { return figure(d.openness.value); }); }},
    {"openness_dots_lo",
        [](const CanopyRow& r) { return ofDots(r, [](const DotFigures& d) { return figure(d.openness.lo); }); }},
    {"openness_dots_hi",
        [](const CanopyRow& r) { return ofDots(r, [](const DotFigures& d) { return figure(d.openness.hi); }); }},
    {"le_dots", [](const CanopyRow& r) { return ofLe(r, [](const auto& le) { return figure(le.value); }); }},
    {"le_dots_lo", [](const CanopyRow& r) { return ofLe(r, [](const auto& le) { return figure(le.lo); }); }},
    {"le_dots_hi", [](const CanopyRow& r) { return ofLe(r, [](const auto& le) { return figure(le.hi); }); }},
    {"dots_effective",
        [](const CanopyRow& r) { return ofDots(r, [](const DotFigures& d) { return number(d.effectiveDots, 1); }); }},
    // The flag tells about le; without le it stays empty.
    {"dots_saturated",
        [](const CanopyRow& r) { return ofLe(r, [&](const auto&) { return flag(r.dots->saturated); }); }},
    {"circle", [](const CanopyRow& r) { return std::string(circleName(r.circle)); }},
    {"dots_outside",
        [](const CanopyRow& r) { return ofDots(r, [](const DotFigures& d) { return std::to_string(d.outside); }); }},
    // Columns added later come last: files written before they were
    // (kCsvAddedColumns) are still read.
    {"lens", [](const CanopyRow& r) { return csvText(r.lensName); }},
};

// The light columns close the line; a row without light figures leaves
// them empty.
using LightField = std::string (*)(const LightRow&);

struct LightColumn {
    std::string_view name;
    LightField field;
};

// A setting in the shortest text that reads back, as gamma.
std::string setting(double value) { return number(value, -1); }
const light::LightSettings& settingsOf(const LightRow& l) { return l.request.settings; }

constexpr LightColumn kLightColumns[] = {
    {"top_azimuth", [](const LightRow& l) { return record(l.request.orientation.trueTop()); }},
    {"magnetic_declination", [](const LightRow& l) { return setting(l.request.orientation.declinationDeg); }},
    {"mirrored", [](const LightRow& l) { return std::string(l.request.orientation.mirrored ? "true" : "false"); }},
    {"latitude", [](const LightRow& l) { return setting(settingsOf(l).site.latitudeDeg); }},
    {"longitude", [](const LightRow& l) { return setting(settingsOf(l).site.longitudeDeg); }},
    {"elevation", [](const LightRow& l) { return setting(settingsOf(l).site.elevationM); }},
    {"utc_offset", [](const LightRow& l) { return setting(settingsOf(l).site.utcOffsetHours); }},
    {"period", [](const LightRow& l) { return light::periodText(settingsOf(l).period); }},
    {"time_step", [](const LightRow& l) { return std::to_string(settingsOf(l).timeStepMin); }},
    {"sky", [](const LightRow& l) { return std::string(light::skyModelKey(settingsOf(l).sky)); }},
    {"sky_regions",
        [](const LightRow& l) {
            return std::to_string(settingsOf(l).zenithRings) + "x" + std::to_string(settingsOf(l).azimuthSectors);
        }},
    {"kt", [](const LightRow& l) { return setting(settingsOf(l).kt); }},
    // The fraction used: Erbs's under that model.
    {"beam_fraction", [](const LightRow& l) { return setting(l.figures.beamFraction); }},
    {"beam_fraction_model",
        [](const LightRow& l) { return std::string(light::beamModelKey(settingsOf(l).beamModel)); }},
    {"clear_sky_transmission", [](const LightRow& l) { return setting(settingsOf(l).clearSkyTransmission); }},
    {"solar_constant", [](const LightRow& l) { return setting(settingsOf(l).solarConstant); }},
    {"par_fraction", [](const LightRow& l) { return setting(settingsOf(l).parFraction); }},
    {"par_photons", [](const LightRow& l) { return setting(settingsOf(l).parPhotons); }},
    {"h0", [](const LightRow& l) { return figure(l.figures.h0); }},
    {"above_direct", [](const LightRow& l) { return figure(l.figures.aboveDirect); }},
    {"above_diffuse", [](const LightRow& l) { return figure(l.figures.aboveDiffuse); }},
    {"above_total", [](const LightRow& l) { return figure(l.figures.aboveTotal); }},
    {"dsf", [](const LightRow& l) { return figure(l.figures.dsf); }},
    {"isf", [](const LightRow& l) { return figure(l.figures.isf); }},
    {"tsf", [](const LightRow& l) { return figure(l.figures.tsf); }},
    {"trans_direct", [](const LightRow& l) { return figure(l.figures.transDirect); }},
    {"trans_diffuse", [](const LightRow& l) { return figure(l.figures.transDiffuse); }},
    {"trans_total", [](const LightRow& l) { return figure(l.figures.transTotal); }},
    {"below_direct", [](const LightRow& l) { return figure(l.figures.belowDirect); }},
    {"below_diffuse", [](const LightRow& l) { return figure(l.figures.belowDiffuse); }},
    {"below_total", [](const LightRow& l) { return figure(l.figures.belowTotal); }},
    {"below_par", [](const LightRow& l) { return figure(l.figures.belowPar); }},
    {"sun_hours", [](const LightRow& l) { return figure(l.figures.sunHours); }},
    {"direct_sun_hours", [](const LightRow& l) { return figure(l.figures.directSunHours); }},
    {"beam_coverage", [](const LightRow& l) { return figure(l.figures.beamCoverage); }},
    {"diffuse_coverage", [](const LightRow& l) { return figure(l.figures.diffuseCoverage); }},
};
static_assert(std::size(kLightColumns) == std::size_t(kCsvLightColumns));
// The settings come first, the figures from h0 on.
constexpr std::size_t kLightSettingColumns = 18;
static_assert(kLightColumns[kLightSettingColumns].name == "h0");

// The photo's metadata after the light columns.
using MetadataField = std::string (*)(const files::PhotoMetadata&);

struct MetadataColumn {
    std::string_view name;
    MetadataField field;
};

std::string known(const std::optional<double>& value) { return value ? number(*value, -1) : std::string(); }

constexpr MetadataColumn kMetadataColumns[] = {
    {"datetime_original", [](const files::PhotoMetadata& m) { return csvText(m.datetimeOriginal); }},
    {"camera", [](const files::PhotoMetadata& m) { return csvText(m.camera); }},
    {"lens_model", [](const files::PhotoMetadata& m) { return csvText(m.lensModel); }},
    {"exposure_time", [](const files::PhotoMetadata& m) { return known(m.exposureTimeS); }},
    {"f_number", [](const files::PhotoMetadata& m) { return known(m.fNumber); }},
    {"iso", [](const files::PhotoMetadata& m) { return known(m.iso); }},
    {"gps_latitude", [](const files::PhotoMetadata& m) { return known(m.latitudeDeg); }},
    {"gps_longitude", [](const files::PhotoMetadata& m) { return known(m.longitudeDeg); }},
    {"gps_altitude", [](const files::PhotoMetadata& m) { return known(m.altitudeM); }},
};
static_assert(std::size(kMetadataColumns) == std::size_t(kCsvMetadataColumns));

constexpr std::string_view kRingPrefix = "gf_";
std::string ringColumn(const std::string& k) { return std::string(kRingPrefix) + k; }

std::vector<std::string> headerColumns(int rings, int leftOut = 0)
{
    std::vector<std::string> columns;
    for (const Column& c : kLeadColumns)
        columns.emplace_back(c.name);
    for (int k = 1; k <= rings; ++k)
        columns.push_back(ringColumn(std::to_string(k)));
    for (const Column& c : kTrailColumns)
        columns.emplace_back(c.name);
    for (const LightColumn& c : kLightColumns)
        columns.emplace_back(c.name);
    for (const MetadataColumn& c : kMetadataColumns)
        columns.emplace_back(c.name);
    columns.resize(columns.size() - std::size_t(leftOut));
    return columns;
}

// The length of the valid UTF-8 sequence text starts with (shortest form,
// no surrogates, at most U+10FFFF), or 0 when it starts with none.
std::size_t utf8SequenceLength(std::string_view text)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    return length;
}

// Where the file's first line and the header part ways, for the message.
std::string headerDifference(std::string_view line, const std::string& header)
{
    const auto split = [](std::string_view text) {
        std::vector<std::string_view> parts;
        std::size_t start = 0;
        for (std::size_t comma; (comma = text.find(',', start)) != std::string_view::npos; start = comma + 1)
            parts.push_back(text.substr(start, comma - start));
        parts.push_back(text.substr(start));
        return parts;
    };
    const auto theirs = split(line), ours = split(header);
    for (std::size_t i = 0; i < std::max(theirs.size(), ours.size()); ++i) {
        const std::string_view a = i < theirs.size() ? theirs[i] : "(nothing)";
        const std::string_view b = i < ours.size() ? ours[i] : "(nothing)";
        if (a != b)
            return "column " + std::to_string(i + 1) + " is \"" + std::string(a) + "\" in the file but \""
                + std::string(b) + "\" in this row";
    }
    return "the lines differ";
}

// Whether a row holds light figures: a light column of it (before the
// metadata columns) is not empty.
bool holdsLight(const std::string& row)
{
    const auto fields = csvFields(row);
    if (!fields || fields->size() < std::size_t(kCsvLightColumns + kCsvMetadataColumns))
        return false;
    const auto lightEnd = fields->end() - kCsvMetadataColumns;
    return std::any_of(lightEnd - kCsvLightColumns, lightEnd, [](const std::string& f) { return !f.empty(); });
}

// A file of an earlier form (`lines` after its byte order mark `lead`)
// under the current header, each of its rows padded with the columns it
// lacks; every line ends in lineEnd.
std::string upgraded(
    std::string lead, std::string_view lines, const std::string& header, int missingColumns, std::string_view lineEnd)
{
    std::string text = std::move(lead) + header + std::string(lineEnd);
    std::size_t start = lines.find('\n');
    while (start != std::string_view::npos && start + 1 < lines.size()) {
        const std::size_t end = lines.find('\n', start + 1);
        std::string_view line = lines.substr(start + 1, end == std::string_view::npos ? end : end - start - 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        text += (line.empty() ? std::string() : csvPaddedRow(line, missingColumns)) + std::string(lineEnd);
        start = end;
    }
    return text;
}

} // namespace

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + '"';
}

std::string csvText(std::string_view raw)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(raw.size());
    const auto escape = [&](unsigned char byte) {
        text += "\\x";
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    };
    for (std::size_t i = 0; i < raw.size();) {
        const auto byte = static_cast<unsigned char>(raw[i]);
        const std::size_t length = utf8SequenceLength(raw.substr(i));
        if (byte == '\\')
            text += "\\\\";
        else if (byte < 0x20 || byte == 0x7F || length == 0)
            escape(byte);
        else
            text.append(raw.substr(i, length));
        i += std::max<std::size_t>(length, 1);
    }
    return text;
}

std::string csvFigure(double value) { return figure(value); }

std::string csvLine(const std::vector<std::string>& fields) { return joined(fields); }

std::string csvHeader(int rings) { return joined(headerColumns(rings)); }

std::string csvEarlierHeader(int rings, int addedColumns)
{
    return joined(headerColumns(rings, std::clamp(addedColumns, 0, kCsvAddedColumns)));
}

std::string csvRow(const CanopyRow& row)
{
    std::vector<std::string> fields;
    if (!row.error.empty() || !row.pixels) {
        fields = {csvText(row.file), csvText(row.error)};
        fields.resize(headerColumns(row.settings.rings).size());
        return joined(fields);
    }
    for (const Column& c : kLeadColumns)
        fields.push_back(c.field(row));
    const std::vector<double>& gaps = row.pixels->ringGap;
    for (std::size_t k = 0; k < std::size_t(row.settings.rings); ++k)
        fields.push_back(k < gaps.size() ? figure(gaps[k]) : std::string());
    for (const Column& c : kTrailColumns)
        fields.push_back(c.field(row));
    for (const LightColumn& c : kLightColumns)
        fields.push_back(row.light ? c.field(*row.light) : std::string());
    for (const MetadataColumn& c : kMetadataColumns)
        fields.push_back(c.field(row.metadata));
    return joined(fields);
}

std::vector<std::string> csvLightSettingColumns()
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kLightSettingColumns; ++i)
        names.emplace_back(kLightColumns[i].name);
    return names;
}

std::string csvColumnNames()
{
    std::string names;
    for (const Column& c : kLeadColumns)
        names += std::string(c.name) + ", ";
    names += ringColumn("1") + " ... " + ringColumn("N");
    for (const Column& c : kTrailColumns)
        names += ", " + std::string(c.name);
    for (const LightColumn& c : kLightColumns)
        names += ", " + std::string(c.name);
    for (const MetadataColumn& c : kMetadataColumns)
        names += ", " + std::string(c.name);
    return names;
}

CsvAppend appendCsvRow(const std::string& path, const std::string& header, const std::string& row)
{
    std::string content;
    try {
        std::error_code error;
        if (std::filesystem::exists(files::utf8Path(path), error)) {
            const files::FileBytes old = files::FileBytes::read(path);
            content.assign(reinterpret_cast<const char*>(old.data()), old.size());
        }
        if (content.empty()) {
            content = header + std::string(kCsvLineEnd) + row + std::string(kCsvLineEnd);
        } else {
            const std::size_t start = content.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
            const std::size_t end = content.find('\n', start);
            std::string_view first
                = std::string_view(content).substr(start, end == std::string::npos ? end : end - start);
            const bool crlf = first.ends_with('\r');
            if (crlf)
                first.remove_suffix(1);
            const std::string_view lineEnd = crlf || end == std::string::npos ? kCsvLineEnd : "\n";
            if (first != header) {
                const std::optional<CsvHeaderForm> form = csvHeaderForm(first);
                if (!form || form->missingColumns == 0 || csvHeader(form->rings) != header)
                    return {
                        false, "the file's header differs from this row's (" + headerDifference(first, header) + ")"};
                if (!csvHoldsLight(form->missingColumns) && holdsLight(row))
                    return {false,
                        "the file was written before the light columns existed, and this row has light "
                        "figures; export it to a new file"};
                content = upgraded(content.substr(0, start), std::string_view(content).substr(start), header,
                    form->missingColumns, lineEnd);
            }
            if (!content.ends_with('\n'))
                content += lineEnd;
            content += row;
            content += lineEnd;
        }
        files::saveFile(path, content.data(), content.size());
    } catch (const files::FileError& e) {
        return {false, e.what()};
    }
    return {true, {}};
}

} // namespace karwen::canopy
