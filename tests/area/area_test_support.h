// Helpers shared by the area suites: a copy of the whole measurement to
// compare against, and the scratch folders of every file suite.
#pragma once

#include "area_model.h"
#include "mdl_karwen.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <array>

namespace karwen::test {

// Everything a load or a mouse event may change.
struct MeasurementSnapshot {
    std::array<int16_t, kDotCount + 1> dotClass = DotClass;
    std::array<int16_t, kAreaClassCount> classCount = ClassCount;
    int16_t tag = AreaFileTag;
    int16_t lastLbl = LastLbl;

    bool operator==(const MeasurementSnapshot&) const = default;
};

// Counts rebuilt from the dot classes, to check ClassCount against.
inline std::array<int16_t, kAreaClassCount> countsFromDots()
{
    std::array<int16_t, kAreaClassCount> counts{};
    for (int n = 1; n <= kDotCount; ++n)
        ++counts[static_cast<std::size_t>(DotClass[static_cast<std::size_t>(n)])];
    return counts;
}

// Fresh globals with measurement on, as after start-up and checking "Area".
class AreaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        initGlobals();
        InitAreaTables();
        AreaOn = true;
    }
    void TearDown() override
    {
        AreaOn = false;
        InitAreaTables();
    }
};

} // namespace karwen::test
