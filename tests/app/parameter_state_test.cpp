#include "parameter_state.h"

#include "recording_hooks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

using namespace karwen;
using karwen::test::AppState;

using ParameterStates = AppState;

namespace {

// One change to each part of the state, and what bit-for-bit means.
const std::vector<std::pair<const char*, std::function<void(ParameterState&)>>> kChanges{
    {"source centre", [](ParameterState& s) { s.src.Cx += 0.01; }},
    {"source tilt -0.0", [](ParameterState& s) { s.src.Rot = -0.0; }},
    {"source projection", [](ParameterState& s) { s.src.Proj = kStereographic; }},
    {"destination radius", [](ParameterState& s) { s.dst.R = 200; }},
    {"view point", [](ParameterState& s) { s.refY += 0.5f; }},
    {"destination width", [](ParameterState& s) { s.dstW = 300; }},
    {"destination height", [](ParameterState& s) { s.dstH = 300; }},
    {"interpolation", [](ParameterState& s) { s.interp = 2; }},
    {"no lens", [](ParameterState& s) { s.srcLens.reset(); }},
    {"lens term", [](ParameterState& s) { s.srcLens->lens.A[4] += 1e-12; }},
    {"lens name", [](ParameterState& s) { s.srcLens->name += "x"; }},
    {"found circle", [](ParameterState& s) { s.srcAuto.found.Confident = 0; }},
    {"reset circle", [](ParameterState& s) { s.srcAuto.r += 1; }},
    {"found box", [](ParameterState& s) { s.srcBound.Right += 1; }},
};

ParameterState someState()
{
    ParameterState s{{400, 300, 280, 5, -3, 0.0, kEquidistant}, {256, 256, 256, 0, 0, 0, 0}, 410.5f, 290.25f, 512, 512,
        1, builtInLenses().front(), {}, {}};
    s.srcAuto = {{401, 299, 281, 1}, 400, 300, 280, true};
    s.srcBound = {100, 20, 700, 580};
    return s;
}

} // namespace

TEST_F(ParameterStates, EveryPartCounts)
{
    for (const auto& [what, change] : kChanges) {
        ParameterState changed = someState();
        change(changed);
        EXPECT_FALSE(changed == someState()) << what;
    }
    ParameterState nan = someState();
    nan.src.Beta = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(nan == nan) << "a NaN stored again is no change";
}

TEST_F(ParameterStates, RestoredExactly)
{
    // Each part is put back, from a state that differs only there.
    for (const auto& [what, change] : kChanges) {
        restoreParameters(someState());
        ParameterState other = someState();
        change(other);
        restoreParameters(other);
        EXPECT_TRUE(currentParameters() == other) << what;
    }
    restoreParameters({});
    EXPECT_FALSE(SrcLens.has_value());
}
