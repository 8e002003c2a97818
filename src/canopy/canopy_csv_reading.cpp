#include "canopy_csv_reading.h"

#include "canopy_csv.h"
#include "canopy_settings.h"

#include <algorithm>

namespace karwen::canopy {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::optional<std::vector<std::string>> csvFields(std::string_view line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    bool closed = false; // the current field's closing quote has passed
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                fields.back() += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += line[++i];
            } else {
                quoted = false;
                closed = true;
            }
        } else if (c == ',') {
            fields.emplace_back();
            closed = false;
        } else if (closed) {
            return std::nullopt;
        } else if (c == '"' && fields.back().empty()) {
            quoted = true;
        } else {
            fields.back() += c;
        }
    }
    if (quoted)
        return std::nullopt;
    return fields;
}

std::optional<CsvHeaderForm> csvHeaderForm(std::string_view line)
{
    if (line.starts_with(kByteOrderMark))
        line.remove_prefix(kByteOrderMark.size());
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    const auto inForm = [&](int missing) -> std::optional<CsvHeaderForm> {
        for (int rings = 1; rings <= kMaxRings; ++rings)
            if (line == csvEarlierHeader(rings, missing))
                return CsvHeaderForm{rings, missing};
        return std::nullopt;
    };
    if (const auto current = inForm(0))
        return current;
    // Only the forms files were really written in: not every count of the
    // added columns.
    for (const int missing : kCsvEarlierForms)
        if (const auto earlier = inForm(missing))
            return earlier;
    return std::nullopt;
}

std::string csvPaddedRow(std::string_view row, int missingColumns)
{
    return std::string(row) + std::string(std::size_t(std::max(missingColumns, 0)), ',');
}

std::optional<int> csvHeaderRings(std::string_view line)
{
    const auto form = csvHeaderForm(line);
    return form ? std::optional(form->rings) : std::nullopt;
}

std::string rawText(std::string_view text)
{
    std::string raw;
    raw.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
            raw += '\\';
            ++i;
        } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && hexValue(text[i + 2]) >= 0
            && hexValue(text[i + 3]) >= 0) {
            raw += char(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            raw += text[i];
        }
    }
    return raw;
}

} // namespace karwen::canopy
