#include "threshold.h"

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

int chooseThreshold(const Histogram& histogram, const CanopySettings& settings)
{
    switch (settings.method) {
    case ThresholdMethod::Otsu: return otsuThreshold(histogram);
    case ThresholdMethod::Ridler: return ridlerThreshold(histogram);
    case ThresholdMethod::Fixed: break;
    }
    return settings.fixedThreshold;
}

} // namespace karwen::canopy
