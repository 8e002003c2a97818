#include "area_model.h"

#include "mdl_karwen.h"

#include <cstdlib>
#include <numeric>

namespace karwen {

std::array<int16_t, kDotCount + 1> DotClass{};
std::array<int16_t, kAreaClassCount> ClassCount{};
std::array<uint32_t, kAreaClassCount> ClassColor{};
uint32_t CurRgnColor = 0;
int16_t CurRgn = 0;
std::array<int16_t, kRingCount> RingDots{};
std::array<double, kRingCount> RingRadius{};
std::array<float, kDotCount + 1> DotX{};
std::array<float, kDotCount + 1> DotY{};
std::array<int16_t, kToolSizeCount> DotSizeTbl{};
int16_t DotIdx = 0;
int16_t DotSize = 0;
int32_t DotHit2 = 0;
std::array<int16_t, kToolSizeCount> BrushR2Tbl{};
int16_t BrushIdx = 0;
int32_t BrushR2 = 0;
int16_t LastLbl = 0;

namespace {
std::array<int16_t, kDotCount + 1> keptDotClass{};
bool dotsSet = false;
} // namespace

void InitAreaTables()
{
    RingDots = {1, 4, 8, 16, 32, 32, 32, 64, 64, 64, 64, 64, 64, 128, 128, 128, 107};
    // Ring i sits where r^2 = (dots inside + half its own) / 1000, so every
    // dot stands for the same share of the circle's area; nine digits kept.
    RingRadius
        = {0, 0.054772256, 0.09486833, 0.144913767, 0.212132034, 0.277488739, 0.33015148, 0.396232255, 0.470106371,
            0.533853913, 0.59076222, 0.642650761, 0.690651866, 0.756967635, 0.837257428, 0.910494371, 0.972882316};
    CurRgnColor = 0x0000FFu;
    ClassColor = {0xFFFFFFu, 0x20FF20u, 0x20FFFFu, 0xFF2020u, 0xFF20FFu, 0xFFFF20u, 0x80AA80u, 0x80AAAAu, 0xAA8080u,
        0xAA80AAu, 0xAAAA80u, 0x40AA40u, 0x40AAAAu, 0xAA4040u, 0xAA40AAu, 0xAAAA40u};
    resetAreaCounts();
    DotX.fill(0.0f);
    DotY.fill(0.0f);
    DotSizeTbl = {0, 1, 2, 4};
    BrushR2Tbl = {6, 75, 275, 1500};
    CurRgn = 1;
    // The panel selects these when it loads; doing it here as well keeps the
    // derived values valid for code that runs without the panel.
    (void)selectDotStyle(1);
    (void)selectBrush(1);
}

void resetAreaCounts()
{
    ClassCount.fill(0);
    ClassCount[0] = kDotCount;
    LastLbl = -1;
    DotClass.fill(0);
    dotsSet = false;
    markAreaKept();
}

void markAreaKept() { keptDotClass = DotClass; }

bool areaDotsSet() { return dotsSet; }

void markAreaDotsSet() { dotsSet = true; }

bool areaChangedSinceKept() { return DotClass != keptDotClass; }

AreaMeasurement currentMeasurement() { return {DotClass, ClassCount, AreaFileTag, dotsSet}; }

void restoreMeasurement(const AreaMeasurement& measurement)
{
    DotClass = measurement.dotClass;
    ClassCount = measurement.classCount;
    AreaFileTag = measurement.fileTag;
    dotsSet = measurement.dotsSet;
    LastLbl = -1;
}

bool selectDotStyle(int index)
{
    if (index < 0 || index >= kToolSizeCount)
        return false;
    DotIdx = static_cast<int16_t>(index);
    DotSize = DotSizeTbl[index];
    DotHit2 = DotSize * 4 * DotSize;
    return true;
}

bool selectBrush(int index)
{
    if (index < 0 || index >= kToolSizeCount)
        return false;
    BrushIdx = static_cast<int16_t>(index);
    BrushR2 = BrushR2Tbl[index];
    return true;
}

bool selectClass(int cls)
{
    if (cls < 1 || cls >= kAreaClassCount)
        return false;
    CurRgn = static_cast<int16_t>(cls);
    return true;
}

std::string shareColumn(int16_t count, std::size_t width)
{
    // count * 0.1 with one decimal is count / 10 exactly, so integer
    // arithmetic gives the rounded text without any binary fraction.
    const int magnitude = std::abs(static_cast<int>(count));
    std::string text = std::to_string(magnitude / 10) + '.' + std::to_string(magnitude % 10);
    if (count < 0)
        text.insert(text.begin(), '-');
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text.substr(text.size() - width);
}

std::string ClassPercentText(int16_t count) { return shareColumn(count, 5) + '%'; }

uint32_t dotColor(int n)
{
    const int16_t cls = DotClass[static_cast<std::size_t>(n)];
    if (cls == CurRgn)
        return CurRgnColor;
    if (cls < 0 || cls >= kAreaClassCount)
        return ClassColor[0];
    return ClassColor[static_cast<std::size_t>(cls)];
}

int classCountSum() { return std::accumulate(ClassCount.begin(), ClassCount.end(), 0); }

} // namespace karwen
