#include "threshold.h"

#include <algorithm>
#include <cmath>

namespace karwen::canopy {

namespace {

// First and last value with a positive weight; false when fewer than two
// values are occupied.
bool occupiedRange(const Histogram& h, int& lo, int& hi)
{
    lo = 0;
    while (lo < 256 && !(h[static_cast<std::size_t>(lo)] > 0.0))
        ++lo;
    hi = 255;
    while (hi > lo && !(h[static_cast<std::size_t>(hi)] > 0.0))
        --hi;
    return lo < hi;
}

// A run of equal values, first to last.
struct Run {
    int first, last;
};

double at(const Histogram& h, int v) { return v < 0 || v > 255 ? 0.0 : h[static_cast<std::size_t>(v)]; }

// Counts the peaks (runs of equal values above both neighbours, 0 beyond
// the ends) and keeps the first two.
int peaksOf(const Histogram& h, std::array<Run, 2>& peaks)
{
    int count = 0;
    for (int first = 0; first < 256;) {
        int last = first;
        while (last < 255 && at(h, last + 1) == at(h, first))
            ++last;
        const double v = at(h, first);
        if (v > at(h, first - 1) && v > at(h, last + 1)) {
            if (count < 2)
                peaks[static_cast<std::size_t>(count)] = {first, last};
            ++count;
        }
        first = last + 1;
    }
    return count;
}

// The middle of the lowest run between two peaks. With no third peak there
// is exactly one such run.
int valleyBetween(const Histogram& h, Run left, Run right)
{
    int first = left.last + 1;
    for (int v = first + 1; v < right.first; ++v)
        if (at(h, v) < at(h, first))
            first = v;
    int last = first;
    while (last + 1 < right.first && at(h, last + 1) == at(h, first))
        ++last;
    return (first + last) / 2;
}

// Each value the mean of itself and its two neighbours. The neighbours are
// added first, so a symmetric histogram stays exactly symmetric.
Histogram threePointMeans(const Histogram& h)
{
    Histogram smoothed{};
    for (int v = 0; v < 256; ++v)
        smoothed[static_cast<std::size_t>(v)] = (at(h, v - 1) + at(h, v + 1) + at(h, v)) / 3.0;
    return smoothed;
}

} // namespace

int otsuThreshold(const Histogram& h)
{
    int lo = 0, hi = 0;
    if (!occupiedRange(h, lo, hi))
        return kMidScale;
    // Both classes summed from their own end rather than by subtraction
    // from the total, so that equal splits give bit-equal variances and the
    // tie rule decides.
    std::array<double, 256> upperW{}, upperS{};
    double w = 0.0, s = 0.0;
    for (int v = hi; v > lo; --v) {
        w += h[static_cast<std::size_t>(v)];
        s += v * h[static_cast<std::size_t>(v)];
        upperW[static_cast<std::size_t>(v)] = w;
        upperS[static_cast<std::size_t>(v)] = s;
    }
    double w0 = 0.0, s0 = 0.0, best = -1.0;
    int threshold = lo;
    for (int t = lo; t < hi; ++t) {
        w0 += h[static_cast<std::size_t>(t)];
        s0 += t * h[static_cast<std::size_t>(t)];
        const double w1 = upperW[static_cast<std::size_t>(t + 1)];
        const double d = upperS[static_cast<std::size_t>(t + 1)] / w1 - s0 / w0;
        const double between = w0 * w1 * d * d;
        if (between > best) {
            best = between;
            threshold = t;
        }
    }
    return threshold;
}

int ridlerThreshold(const Histogram& h)
{
    int lo = 0, hi = 0;
    if (!occupiedRange(h, lo, hi))
        return kMidScale;
    std::array<double, 256> cumW{}, cumS{};
    double w = 0.0, s = 0.0;
    for (int v = 0; v < 256; ++v) {
        w += h[static_cast<std::size_t>(v)];
        s += v * h[static_cast<std::size_t>(v)];
        cumW[static_cast<std::size_t>(v)] = w;
        cumS[static_cast<std::size_t>(v)] = s;
    }
    const auto split = [&](double t) {
        const int i = static_cast<int>(std::floor(t));
        return i < lo ? lo : (i > hi - 1 ? hi - 1 : i);
    };
    int t = split(s / w);
    // Each step lowers the within-class spread, so the split settles; the
    // bound only guards against rounding games.
    for (int step = 0; step < 256; ++step) {
        const std::size_t i = static_cast<std::size_t>(t);
        const double mean0 = cumS[i] / cumW[i];
        const double mean1 = (s - cumS[i]) / (w - cumW[i]);
        const int next = split(0.5 * (mean0 + mean1));
        if (next == t)
            break;
        t = next;
    }
    return t;
}

std::optional<int> minimumThreshold(const Histogram& histogram)
{
    Histogram h = histogram;
    for (int smoothings = 0;; ++smoothings) {
        std::array<Run, 2> peaks{};
        const int count = peaksOf(h, peaks);
        if (count == 2)
            return valleyBetween(h, peaks[0], peaks[1]);
        if (count < 2 || smoothings == kMaxSmoothings)
            return std::nullopt;
        h = threePointMeans(h);
    }
}

void EdgeSums::addPair(int a, int b, int64_t w)
{
    if (a == b)
        return;
    const auto lo = static_cast<std::size_t>(std::min(a, b)), hi = static_cast<std::size_t>(std::max(a, b));
    const int64_t contrastOfPair = w * (std::max(a, b) - std::min(a, b));
    weight[lo] += w;
    contrast[lo] += contrastOfPair;
    weight[hi] -= w;
    contrast[hi] -= contrastOfPair;
}

std::optional<int> edgeThreshold(const EdgeSums& pairs, const Histogram& histogram)
{
    double total = 0.0;
    for (const double h : histogram)
        total += h;
    // The means are compared as exact fractions, so that equal means are
    // found equal and the lowest T among them wins.
    int64_t weight = 0, contrast = 0;
    __int128 bestContrast = 0, bestWeight = 1;
    bool straddled = false;
    std::optional<int> threshold;
    double below = 0.0;
    for (std::size_t t = 0; t < 255; ++t) {
        weight += pairs.weight[t];
        contrast += pairs.contrast[t];
        below += histogram[t];
        if (weight <= 0)
            continue;
        straddled = true;
        const double smaller = std::min(below, total - below);
        if (double(weight) * pairs.unit > kMostStraddlingPerPixel * smaller)
            continue;
        if (__int128{contrast} * bestWeight > bestContrast * weight) {
            bestContrast = contrast;
            bestWeight = weight;
            threshold = static_cast<int>(t);
        }
    }
    return straddled ? threshold : std::optional<int>(kMidScale);
}

std::optional<int> chooseThreshold(const Histogram& histogram, const EdgeSums& pairs, const CanopySettings& settings)
{
    switch (settings.method) {
    case ThresholdMethod::Otsu:
        return otsuThreshold(histogram);
    case ThresholdMethod::Ridler:
        return ridlerThreshold(histogram);
    case ThresholdMethod::Minimum:
        return minimumThreshold(histogram);
    case ThresholdMethod::Edge:
        return edgeThreshold(pairs, histogram);
    case ThresholdMethod::Fixed:
        break;
    }
    return settings.fixedThreshold;
}

} // namespace karwen::canopy
