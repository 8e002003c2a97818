// The area measurement model: 1000 sample dots in 17 rings over the
// destination image circle, the class of every dot, the count per class, the
// class colours and the tool settings (dot style, brush size, selected
// class). These are module globals like the rest of the shared state; the
// area panel and the destination view read and write them directly.
//
// Dots are numbered 1 to 1000 and element 0 of every dot table is unused,
// so that dot n is element n everywhere.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace karwen {

inline constexpr int kDotCount = 1000;
inline constexpr int kRingCount = 17;
inline constexpr int kAreaClassCount = 16; // class 0 (remaining dots) and 1..15
inline constexpr int kToolSizeCount = 4;   // dot styles and brush sizes S, M, L, H

// Colours are 0x00BBGGRR; system colours are 0x80000000 + the system index.
inline constexpr uint32_t kButtonFaceColor = 0x8000000Fu;

extern std::array<int16_t, kDotCount + 1> DotClass;      // class of dot n
extern std::array<int16_t, kAreaClassCount> ClassCount;  // dots per class
extern std::array<uint32_t, kAreaClassCount> ClassColor; // 0x00BBGGRR
extern uint32_t CurRgnColor;                             // dots of CurRgn
extern int16_t CurRgn;                                   // selected class, 1..15
extern std::array<int16_t, kRingCount> RingDots;         // dots per ring
extern std::array<double, kRingCount> RingRadius;        // fraction of R
extern std::array<float, kDotCount + 1> DotX;            // view pixels
extern std::array<float, kDotCount + 1> DotY;
extern std::array<int16_t, kToolSizeCount> DotSizeTbl; // dot radius per style
extern int16_t DotIdx;                                 // selected dot style
extern int16_t DotSize;                                // DotSizeTbl[DotIdx]
extern int32_t DotHit2;                                // squared hover radius
extern std::array<int16_t, kToolSizeCount> BrushR2Tbl; // squared brush radius
extern int16_t BrushIdx;                               // selected brush size
extern int32_t BrushR2;                                // BrushR2Tbl[BrushIdx]
extern int16_t LastLbl;                                // highlighted class, -1 none

// Start-up values of every table above; touches no window. DotSize, DotHit2
// and BrushR2 follow the selected style and brush as the panel would set
// them when it loads.
void InitAreaTables();

// The model part of the panel's reset: every dot back to class 0, counts
// 1000, 0, ..., 0, no highlighted label. The caller then shows the 16 label
// texts (ClassPercentText) and redraws the destination view.
void resetAreaCounts();

// The measurement as last kept: saved to or loaded from an area file,
// written to the log, or reset. Painting since then is what the program
// asks about before anything throws it away; painting a dot back to the
// class it had counts as no change.
void markAreaKept();
[[nodiscard]] bool areaChangedSinceKept();

// Whether the dots hold a measurement: classified, loaded from an area file
// or painted since the last reset. Before that every dot is in class 0 only
// because none was looked at, and their figures would read a closed canopy.
[[nodiscard]] bool areaDotsSet();
void markAreaDotsSet();

// The measurement as one value, for taking a change back: the class of
// every dot, the counts, the area file's tag and whether the dots hold a
// measurement (areaDotsSet).
struct AreaMeasurement {
    std::array<int16_t, kDotCount + 1> dotClass{};
    std::array<int16_t, kAreaClassCount> classCount{};
    int16_t fileTag = 0;
    bool dotsSet = false;
    bool operator==(const AreaMeasurement&) const = default;
};
[[nodiscard]] AreaMeasurement currentMeasurement();
// Puts a kept measurement back, with no label highlighted; what was last
// kept in a file or the log stays. The caller shows the 16 label texts and
// redraws the destination view.
void restoreMeasurement(const AreaMeasurement& measurement);

// Chooses dot style `index` (0..3): DotIdx, DotSize and DotHit2 (the
// square of twice the dot radius). Out-of-range indices change nothing and
// return false.
[[nodiscard]] bool selectDotStyle(int index);
// Chooses brush size `index` (0..3): BrushIdx and BrushR2. Out-of-range
// indices change nothing and return false.
[[nodiscard]] bool selectBrush(int index);
// Chooses the class that painting adds to (1..15). Returns false and
// changes nothing for any other value.
[[nodiscard]] bool selectClass(int cls);

// Text of a class label: count * 0.1 as "##0.0", right-aligned in five
// characters, then "%". 1000 gives "100.0%", 125 " 12.5%", 0 "  0.0%".
[[nodiscard]] std::string ClassPercentText(int16_t count);
// The share count * 0.1 as "##0.0", blank-padded on the left and cut to its
// rightmost `width` characters (no "%"). ClassPercentText uses width 5, the
// measurement log width 6.
[[nodiscard]] std::string shareColumn(int16_t count, std::size_t width);

// Colour a dot is drawn in: CurRgnColor for the selected class, else its
// class colour. n is 1..1000.
[[nodiscard]] uint32_t dotColor(int n);

// Sum of all class counts; 1000 except after loading a short area file.
[[nodiscard]] int classCountSum();

} // namespace karwen
