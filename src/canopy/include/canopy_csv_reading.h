// Reading back what canopy_csv.h writes: a line's fields, whether a first
// line is the figures' header, and the bytes of a name that csvText wrote.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace karwen::canopy {

// The fields of one line (its line end removed), quotes undone; none when a
// quoted field is not closed or text follows its closing quote.
[[nodiscard]] std::optional<std::vector<std::string>> csvFields(std::string_view line);

struct CsvHeaderForm {
    int rings = 0;
    int missingColumns = 0; // of the columns added last, those the file lacks
};

// The form of the line (a UTF-8 byte order mark and a CR at its end
// allowed) when it is csvHeader(rings) for some number of rings, or an
// earlier form of it (csvEarlierHeader); none otherwise.
[[nodiscard]] std::optional<CsvHeaderForm> csvHeaderForm(std::string_view line);
// Its rings alone.
[[nodiscard]] std::optional<int> csvHeaderRings(std::string_view line);
// A row of a file of an earlier form as the current header reads it: the
// missingColumns fields it lacks added, empty.
[[nodiscard]] std::string csvPaddedRow(std::string_view row, int missingColumns);

// The bytes csvText(raw) was made from: "\\" is one backslash, \xHH one
// byte; any other backslash stays as it is.
[[nodiscard]] std::string rawText(std::string_view text);

} // namespace karwen::canopy
