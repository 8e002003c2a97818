#include "parameter_state.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

namespace karwen {

namespace {

bool sameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

bool sameBits(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

// The record crosses the imaging interface packed, without gaps.
bool sameBits(const ProjectionRecord& a, const ProjectionRecord& b)
{
    return std::memcmp(&a, &b, sizeof(ProjectionRecord)) == 0;
}

bool sameBits(const RixCircle& a, const RixCircle& b)
{
    return sameBits(a.Cx, b.Cx) && sameBits(a.Cy, b.Cy) && sameBits(a.R, b.R) && a.Confident == b.Confident;
}

bool sameBits(const AutomaticCircle& a, const AutomaticCircle& b)
{
    return sameBits(a.found, b.found) && sameBits(a.cx, b.cx) && sameBits(a.cy, b.cy) && sameBits(a.r, b.r)
        && a.done == b.done;
}

bool sameBits(const RixRect& a, const RixRect& b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

bool sameBits(const std::optional<NamedLens>& a, const std::optional<NamedLens>& b)
{
    if (!a || !b)
        return !a && !b;
    const auto same = [](double x, double y) { return sameBits(x, y); };
    return a->name == b->name && a->source == b->source
        && std::equal(std::begin(a->lens.A), std::end(a->lens.A), std::begin(b->lens.A), same)
        && sameBits(a->lens.HalfFov, b->lens.HalfFov);
}

} // namespace

ParameterState currentParameters()
{
    return {SrcPrm, DstPrm, RefX, RefY, DstW, DstH, Interp, SrcLens, SrcAuto, SrcBound};
}

void restoreParameters(const ParameterState& state)
{
    SrcPrm = state.src;
    DstPrm = state.dst;
    RefX = state.refX;
    RefY = state.refY;
    DstW = state.dstW;
    DstH = state.dstH;
    Interp = state.interp;
    SrcLens = state.srcLens;
    SrcAuto = state.srcAuto;
    SrcBound = state.srcBound;
}

bool operator==(const ParameterState& a, const ParameterState& b)
{
    return sameBits(a.src, b.src) && sameBits(a.dst, b.dst) && sameBits(a.refX, b.refX) && sameBits(a.refY, b.refY)
        && a.dstW == b.dstW && a.dstH == b.dstH && a.interp == b.interp && sameBits(a.srcLens, b.srcLens)
        && sameBits(a.srcAuto, b.srcAuto) && sameBits(a.srcBound, b.srcBound);
}

} // namespace karwen
