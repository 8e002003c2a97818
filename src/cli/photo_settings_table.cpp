#include "photo_settings_table.h"

#include "canopy_csv_reading.h"
#include "file_bytes.h"
#include "file_error.h"
#include "file_path.h"
#include "option_values.h"
#include "utf8_path.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

namespace karwen::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kOption = "--photo-settings";

// A column of the table, the option it stands in for, and where its cell
// goes among the options' texts.
struct Column {
    const char* name;
    const char* option;
    std::string* (*place)(RawPhotoOptions&); // nullptr: mirrored, a flag
};

const Column kColumns[] = {
    {"circle", "--circle", [](RawPhotoOptions& o) { return &o.source.circle; }},
    {"view", "--view", [](RawPhotoOptions& o) { return &o.source.view; }},
    {"tilt", "--tilt", [](RawPhotoOptions& o) { return &o.source.tilt; }},
    {"lens", "--src-lens", [](RawPhotoOptions& o) { return &o.source.lens; }},
    {"projection", "--src-projection", [](RawPhotoOptions& o) { return &o.source.projection; }},
    {"threshold", "--threshold", [](RawPhotoOptions& o) { return &o.threshold; }},
    {"top_azimuth", "--top-azimuth", [](RawPhotoOptions& o) { return &o.light.topAzimuth; }},
    {"magnetic_declination", "--magnetic-declination", [](RawPhotoOptions& o) { return &o.light.declination; }},
    {"mirrored", "--mirrored", nullptr},
    {"site", "--site", [](RawPhotoOptions& o) { return &o.light.site; }},
    {"period", "--period", [](RawPhotoOptions& o) { return &o.light.period; }},
    {"utc_offset", "--utc-offset", [](RawPhotoOptions& o) { return &o.light.utcOffset; }},
};

const Column* columnNamed(const std::string& name)
{
    for (const Column& c : kColumns)
        if (name == c.name)
            return &c;
    return nullptr;
}

const Column* columnOfOption(const std::string& option)
{
    for (const Column& c : kColumns)
        if (option == c.option)
            return &c;
    return nullptr;
}

UsageError atLine(int line, const std::string& what)
{
    return UsageError(std::string(kOption) + ": line " + std::to_string(line) + ": " + what);
}

UsageError atCell(int line, const std::string& column, const std::string& what)
{
    return UsageError(std::string(kOption) + ": line " + std::to_string(line) + ", column " + column + ": " + what);
}

std::string tableText(const std::string& path)
{
    try {
        if (path != "-") {
            const files::FileBytes bytes = files::FileBytes::read(path);
            return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
        }
        std::string text;
        char block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, stdin)) > 0;)
            text.append(block, n);
        if (std::ferror(stdin))
            throw files::FileError("Cannot read standard input");
        return text;
    } catch (const files::FileError& e) {
        throw UsageError(std::string(kOption) + ": " + e.what());
    }
}

// The lines of the text, numbered from 1, their line ends (LF or CR LF) and
// a leading byte order mark removed.
std::vector<std::string> linesOf(std::string text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string realPath(const fs::path& path)
{
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return files::utf8String(ec ? fs::absolute(path, ec).lexically_normal() : real);
}

bool isThere(const std::string& path)
{
    std::error_code ec;
    return fs::exists(files::utf8Path(path), ec);
}

// The real path of the photo a file cell names: as given or relative to
// the table's folder, whichever exists; both when both name a file.
std::string photoOf(const std::string& file, const fs::path& tableFolder, int line)
{
    const fs::path given = files::utf8Path(file);
    const std::string asGiven = realPath(given);
    if (given.is_absolute())
        return asGiven;
    const std::string besideTable = realPath(tableFolder / given);
    if (asGiven == besideTable || !isThere(besideTable))
        return asGiven;
    if (isThere(asGiven))
        throw atLine(line,
            "\"" + file + "\" names two photos: " + asGiven + " and, beside the table, " + besideTable
                + "; give the full path");
    return besideTable;
}

// What the table's header says: the column of each field; a measure CSV
// gives its file column and its circle as cx, cy and r.
struct Header {
    std::vector<const Column*> columns; // nullptr for the file column and the columns ignored
    std::size_t file = 0;
    bool circles = false; // measure's CSV
    std::size_t cx = 0, cy = 0, r = 0;
};

std::size_t fieldNamed(const std::vector<std::string>& fields, const std::string& name)
{
    return std::size_t(std::find(fields.begin(), fields.end(), name) - fields.begin());
}

Header headerOf(const std::string& line)
{
    const std::optional<std::vector<std::string>> fields = canopy::csvFields(line);
    if (!fields)
        throw atLine(1, "the header is not a line of CSV");
    Header h;
    h.file = fieldNamed(*fields, "file");
    if (canopy::csvHeaderForm(line)) {
        h.circles = true;
        h.cx = fieldNamed(*fields, "cx");
        h.cy = fieldNamed(*fields, "cy");
        h.r = fieldNamed(*fields, "r");
        return h;
    }
    if (h.file == fields->size())
        throw atLine(1, "the header has no file column");
    std::set<std::string> seen;
    for (std::size_t i = 0; i < fields->size(); ++i) {
        const std::string& name = (*fields)[i];
        if (!seen.insert(name).second)
            throw atCell(1, name, "the column is named twice");
        const Column* column = columnNamed(name);
        if (!column && name != "file")
            throw atCell(1, name,
                "no such column; the columns are file, circle, view, tilt, lens, projection, "
                "threshold, top_azimuth, magnetic_declination, mirrored, site, period, utc_offset");
        h.columns.push_back(column);
    }
    return h;
}

// The options with a row's cells in their place; named: the cells given.
RawPhotoOptions withCells(
    const RawPhotoOptions& options, const std::vector<std::pair<const Column*, std::string>>& cells, int line)
{
    RawPhotoOptions o = options;
    bool lens = false, projection = false;
    for (const auto& [column, value] : cells) {
        if (column->place) {
            *column->place(o) = value;
        } else {
            const std::string flag = lowered(value);
            if (flag != "true" && flag != "false")
                throw atCell(line, column->name, "\"" + value + "\" is neither true nor false");
            o.light.mirrored = flag == "true";
        }
        lens = lens || std::string(column->name) == "lens";
        projection = projection || std::string(column->name) == "projection";
    }
    if (lens && projection)
        throw atCell(line, "projection", "a row gives either a lens or a projection");
    if (projection)
        o.source.lens.clear();
    if (o.source.circle.empty() && !o.source.view.empty())
        throw atCell(line, "view", "only with a circle, from --circle or the row");
    return o;
}

// The error of a row's settings told at the column of the option it names
// when the row gives that column, else as the option's.
UsageError atColumnOf(int line, const UsageError& e, const std::vector<std::pair<const Column*, std::string>>& cells)
{
    const std::string what = e.what();
    const std::size_t colon = what.find(": ");
    const Column* column = colon == std::string::npos ? nullptr : columnOfOption(what.substr(0, colon));
    const bool inRow = std::ranges::any_of(cells, [&](const auto& cell) { return cell.first == column; });
    return column && inRow ? atCell(line, column->name, what.substr(colon + 2)) : atLine(line, what);
}

} // namespace

canopy::CircleOrigin circleOriginOf(const PhotoSettings& settings)
{
    if (settings.circleFromTable)
        return canopy::CircleOrigin::Table;
    return settings.source.findCircle ? canopy::CircleOrigin::Detected : canopy::CircleOrigin::Given;
}

void setSettingsColumns(canopy::CanopyRow& row, const PhotoSettings& settings)
{
    row.circle = circleOriginOf(settings);
    row.lensName = lensNameOf(settings.source);
}

void addPhotoSettingsOption(CLI::App& command, std::string& path, bool sourceOnly)
{
    const std::string columns = sourceOnly
        ? "circle (\"CX,CY,R\"), view, tilt, lens and projection (measure's other columns are refused)"
        : "circle (\"CX,CY,R\"), view, tilt, lens, projection, threshold, top_azimuth, magnetic_declination, "
          "mirrored (true or false), site, period and utc_offset";
    command
        .add_option(kOption, path,
            "A CSV of settings per photo (- for standard input): a header naming the column file (the photo, as "
            "the command line names it or relative to the table's folder) and any of "
                + columns
                + ", each read as its option is. A value replaces the option for its photo; an empty cell, or a "
                  "photo without a row, keeps the option. measure's CSV (or the window's export) reads as a table "
                  "of circles (file, cx, cy, r). Rows naming no photo of the list are told and left unused.")
        ->type_name("FILE");
}

void checkPhotoSettingsPath(const std::string& path, const RawRunOptions& run)
{
    if (path == "-" && (run.filesFrom == "-" || run.filesFrom0 == "-"))
        throw UsageError(std::string(kOption) + " - and " + (run.filesFrom == "-" ? "--files-from" : "--files-from0")
            + " -: standard input holds one of them");
}

const TableRow* PhotoSettingsTable::rowOf(const std::string& photo) const
{
    const auto it = rows.find(realPath(files::utf8Path(photo)));
    return it == rows.end() ? nullptr : &it->second;
}

std::string PhotoSettingsTable::unusedRows(const std::vector<std::string>& list) const
{
    std::set<std::string> listed;
    for (const std::string& photo : list)
        listed.insert(realPath(files::utf8Path(photo)));
    std::map<int, std::string> unused; // in line order
    for (const auto& [photo, row] : rows)
        if (!listed.contains(photo))
            unused.emplace(row.line, row.file);
    if (unused.empty())
        return {};
    std::string named;
    for (const auto& [line, file] : unused)
        named += (named.empty() ? "" : ", ") + ("line " + std::to_string(line) + " (" + file + ")");
    return std::string(kOption) + ": " + std::to_string(unused.size())
        + (unused.size() == 1 ? " row names" : " rows name") + " no photo of the list, left unused: " + named;
}

TableUse useTable(const PhotoSettingsTable& table, const std::string& withoutRow, const std::vector<std::string>& list,
    const std::vector<std::string>& photos)
{
    TableUse use{{}, table.unusedRows(list), {}};
    if (!withoutRow.empty())
        for (const std::string& photo : list)
            if (!table.rowOf(photo)) {
                use.refusal = "\"" + photo + "\" has no row in " + kOption + ", and " + withoutRow;
                return use;
            }
    for (const std::string& photo : photos) {
        const TableRow* row = table.rowOf(photo);
        use.own.push_back(row ? &row->settings : nullptr);
    }
    return use;
}

PhotoSettingsTable readPhotoSettings(
    const std::string& path, const RawPhotoOptions& options, const RowSettings& rowSettings)
{
    const std::vector<std::string> lines = linesOf(tableText(path));
    if (lines.empty())
        throw UsageError(std::string(kOption) + ": the table is empty; it needs a header");
    const Header header = headerOf(lines[0]);
    std::error_code ec;
    const fs::path folder = path == "-" ? fs::current_path(ec) : files::utf8Path(files::folderOf(path));
    PhotoSettingsTable table;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const int line = int(i + 1);
        if (lines[i].empty())
            continue;
        const std::optional<std::vector<std::string>> fields = canopy::csvFields(lines[i]);
        if (!fields)
            throw atLine(line, "a quoted field is not closed, or text follows its closing quote");
        if (!header.circles && fields->size() != header.columns.size())
            throw atLine(line,
                std::to_string(fields->size()) + " fields under a header of " + std::to_string(header.columns.size()));
        const auto cell = [&](std::size_t at) { return at < fields->size() ? (*fields)[at] : std::string(); };
        TableRow row{line, header.circles ? canopy::rawText(cell(header.file)) : cell(header.file), {}};
        if (row.file.empty())
            throw atCell(line, "file", "the photo is not named");
        std::vector<std::pair<const Column*, std::string>> cells;
        if (header.circles) {
            if (!cell(header.cx).empty() && !cell(header.cy).empty() && !cell(header.r).empty())
                cells.emplace_back(
                    columnNamed("circle"), cell(header.cx) + "," + cell(header.cy) + "," + cell(header.r));
        } else {
            for (std::size_t c = 0; c < header.columns.size(); ++c)
                if (header.columns[c] && !(*fields)[c].empty())
                    cells.emplace_back(header.columns[c], (*fields)[c]);
        }
        try {
            row.settings = rowSettings(withCells(options, cells, line));
        } catch (const UsageError& e) {
            throw std::string(e.what()).starts_with(kOption) ? e : atColumnOf(line, e, cells);
        }
        for (const auto& [column, value] : cells) {
            row.settings.circleFromTable = row.settings.circleFromTable || std::string(column->name) == "circle";
            row.settings.shown += (row.settings.shown.empty() ? "" : ", ") + std::string(column->name) + "=" + value;
        }
        const std::string photo = photoOf(row.file, folder, line);
        if (const auto [it, added] = table.rows.emplace(photo, row); !added)
            throw atLine(line, "names the photo of line " + std::to_string(it->second.line) + " again");
    }
    return table;
}

} // namespace karwen::cli
