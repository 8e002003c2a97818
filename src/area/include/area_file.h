// The area data file (*.area): the class of every sample dot, so that a
// measurement can be continued or repeated later. Plain text with CRLF line
// ends: "tag,1000", then one class (0..15) per line for dots 1 to 1000.
#pragma once

#include "area_model.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace karwen {

inline constexpr const char* kAreaLoadError = "ERROR: Cannot load area data.";
inline constexpr const char* kAreaSaveError = "ERROR: Cannot write area data.";

// The content of an area file as read: classes of dots 1..count.
struct AreaData {
    int16_t tag = 0;
    int16_t count = 0; // 0..1000; the program itself always writes 1000
    std::array<int16_t, kDotCount + 1> dotClass{};
};

// The file's text for the tag and the classes of dots 1..1000.
[[nodiscard]] std::string formatAreaData(int16_t tag, const std::array<int16_t, kDotCount + 1>& dotClass);

// Reads the tag, the dot count n and n classes. Numbers are separated by a
// comma or a line end (CR, LF or CRLF), blanks around a number are skipped,
// and whatever follows the n-th class is not read. nullopt for a missing
// number, a non-numeric or empty item, a tag outside 16 bits, n outside
// 0..1000 or a class outside 0..15.
[[nodiscard]] std::optional<AreaData> parseAreaData(std::istream& in);

// Puts a read file into the model: AreaFileTag, the classes of dots
// 1..count (later dots keep theirs), counts rebuilt from the dots read
// (so a short file leaves them summing to count), no highlighted label.
void applyAreaData(const AreaData& data);

// LoadAreaData: reads the whole file first and changes the model only when
// it was read completely, so a failed load leaves the measurement as it
// was. The caller then shows all 16 label texts and redraws; on false it
// shows kAreaLoadError.
[[nodiscard]] bool LoadAreaData(const std::filesystem::path& file);

// SaveAreaData: writes AreaFileTag and DotClass. The old file is replaced
// only by a completely written new one; on false (kAreaSaveError) it is
// left as it was.
[[nodiscard]] bool SaveAreaData(const std::filesystem::path& file);

// The name the save dialog proposes: the last area file if there is one,
// else the destination image's path, else the source image's path, without
// its extension (cut_ext) and with ".area" appended. A path without any "."
// keeps its full text before ".area". "" when there is no path at all.
[[nodiscard]] std::string proposedAreaFileName(
    const std::string& areaFile, const std::string& dstFile, const std::string& srcFile);

} // namespace karwen
