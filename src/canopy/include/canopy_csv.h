// Canopy figures as comma-separated values (RFC 4180): one header line and
// one line per photo, lines ended by CR LF. A field holding a comma, a
// quote, CR or LF is put in quotes, its quotes doubled.
//
// The columns stand in one table in canopy_csv.cpp, which writes the header,
// the rows and the list csvColumnNames gives; the README tells what each
// holds.
// The projection column reads "lens" for a photo read through a real
// lens, and the lens column names it.
// Fractions, le, l and lx have six decimals, the circle and angles two, all
// with a '.' whatever the locale. A value that does not exist (a ring the
// photo does not show, dot figures of a perspective destination) is an
// empty field; a failed photo's row has nothing but its file and error.
// No field reads "-0.00": a value that rounds to zero is written unsigned.
//
// The light columns come last: the run's light settings (the true azimuth
// of the photo's top with two decimals, the others in the shortest text
// that reads back, mirrored as true or false), then the light figures with
// six decimals. A figure of the beam in a period without sun (dsf, tsf,
// trans_direct, trans_total, beam_coverage) is empty, and a row without
// light figures leaves every light column empty.
//
// The photo's metadata closes the line: datetime_original (ISO 8601),
// camera, lens_model, exposure_time (s), f_number, iso, gps_latitude,
// gps_longitude (decimal degrees, south and west negative) and gps_altitude
// (m, below sea level negative), numbers in the shortest text that reads
// back, each empty where the photo records none.
#pragma once

#include "canopy_row.h"

#include <string>
#include <string_view>
#include <vector>

namespace karwen::canopy {

inline constexpr std::string_view kCsvLineEnd = "\r\n";

// The text as one field: quoted when it holds a comma, a quote, CR or LF.
[[nodiscard]] std::string csvField(std::string_view text);

// A name or message as the file and error columns hold it: valid UTF-8 as
// it is, a backslash doubled, and each byte of an invalid UTF-8 sequence and
// each control character (line breaks included) as \xHH, two upper-case
// hex digits. The file stays UTF-8 and a line never breaks inside a field;
// rawText (canopy_csv_reading.h) gives the bytes back.
[[nodiscard]] std::string csvText(std::string_view raw);

// A figure as the rows write it: six decimals, empty for a value that does
// not exist.
[[nodiscard]] std::string csvFigure(double value);
// The fields as one line, each through csvField, without its line end.
[[nodiscard]] std::string csvLine(const std::vector<std::string>& fields);

// The header of rows with `rings` zenith rings (gf_1 ... gf_rings).
[[nodiscard]] std::string csvHeader(int rings);
// The columns added at the end after files were written without them: lens,
// then the light columns (empty in a row without light figures), then the
// photo's metadata. Files of the earlier forms are read with those fields
// empty.
inline constexpr int kCsvLightColumns = 36;
inline constexpr int kCsvMetadataColumns = 9;
inline constexpr int kCsvAddedColumns = 1 + kCsvLightColumns + kCsvMetadataColumns;
// The forms files were written in before, by the added columns each lacks:
// without the metadata columns, without the light columns too, and without
// the lens column too.
inline constexpr int kCsvEarlierForms[]
    = {kCsvMetadataColumns, kCsvMetadataColumns + kCsvLightColumns, kCsvAddedColumns};
// Whether a file lacking missingColumns of the added columns can hold
// light figures.
[[nodiscard]] constexpr bool csvHoldsLight(int missingColumns) { return missingColumns <= kCsvMetadataColumns; }
// The light columns that hold the run's settings, in the file's order:
// those a continued file's rows must share with the run.
[[nodiscard]] std::vector<std::string> csvLightSettingColumns();
// The header as files written before the last addedColumns (at most
// kCsvAddedColumns) columns existed have it.
[[nodiscard]] std::string csvEarlierHeader(int rings, int addedColumns);
// The columns' names for a help text: "file, error, ..., gf_1 ... gf_N, ...".
[[nodiscard]] std::string csvColumnNames();
// One photo's line, without its line end; it belongs under
// csvHeader(row.settings.rings).
[[nodiscard]] std::string csvRow(const CanopyRow& row);

struct CsvAppend {
    bool written = false;
    std::string reason; // why not, in plain words
};

// Adds one line to the file at path (UTF-8): a missing or empty file is
// created with the header first; an existing one is appended to only when
// its first line (after a UTF-8 byte order mark, before its line end) is
// exactly the header, in the line ends the file already uses. A file of an
// earlier form of that header (kCsvEarlierForms) is first brought up to it,
// its rows padded with empty fields, when the row holds no light figures,
// and refused when it does. The whole new content is saved at once through
// the files library's safe save, so a failure leaves the file as it was.
[[nodiscard]] CsvAppend appendCsvRow(const std::string& path, const std::string& header, const std::string& row);

} // namespace karwen::canopy
