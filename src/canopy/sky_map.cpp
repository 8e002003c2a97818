#include "sky_map.h"

#include "last_built.h"
#include "pixel_sky.h"
#include "projection_kinds.h"
#include "same_record.h"
#include "sky_rows.h"
#include "tables_filled.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

namespace karwen::canopy {

namespace {

// How close to a pixel centre, in pixels, a cut worked out per row may fall
// without telling for certain which side of it the pixel lies on: the cuts
// come from square roots and quotients good to far below this.
constexpr double kNearCentre = 1e-6;

// Where, along a row, the bin of a view along the camera axis may change,
// as column positions: the circles of the ring edges, the rays of the
// sector edges, and the centre's column (where a row through the centre
// turns half a circle). Past the rim the bin stays the rim's.
class AxialCuts {
public:
    AxialCuts(const PixelSky& sky, const RingLayout& layout)
    {
        // The q = rho^2 where the ring changes, found by halving on the
        // classification itself, so that the cut and the pixels agree.
        const double reach = sky.reachQ();
        for (int k = 0; k < layout.rings(); ++k) {
            const auto past = [&](double q) {
                const int ring = sky.axialRingAt(q);
                return ring < 0 || ring > k;
            };
            if (!past(reach))
                continue;
            double lo = 0.0, hi = reach;
            for (int step = 0; step < 60 && past(lo) != past(hi); ++step) {
                const double mid = 0.5 * (lo + hi);
                (past(mid) ? hi : lo) = mid;
            }
            edgeQ_.push_back(hi);
        }
        // Sector edge s points at azimuth 2 pi s / sectors in the view frame,
        // which the tilt turns in the image.
        const ViewFrame& f = sky.frame();
        for (int s = 0; s < layout.sectors(); ++s) {
            const double a = 2.0 * std::numbers::pi * s / layout.sectors();
            const double dx = f.cosRot * std::cos(a) - f.sinRot * std::sin(a);
            const double dy = f.sinRot * std::cos(a) + f.cosRot * std::sin(a);
            if (std::abs(dy) > 1e-12)
                rayRun_.push_back(dx / dy);
        }
    }

    // The cuts of the row at height y, ascending.
    void ofRow(const PixelSky& sky, double y, std::vector<double>& cuts) const
    {
        cuts.clear();
        cuts.push_back(sky.columnAt(0.0));
        for (const double q : edgeQ_) {
            if (q < y * y)
                continue;
            const double x = std::sqrt(q - y * y);
            cuts.push_back(sky.columnAt(-x));
            cuts.push_back(sky.columnAt(x));
        }
        for (const double run : rayRun_)
            cuts.push_back(sky.columnAt(y * run));
        std::sort(cuts.begin(), cuts.end());
    }

private:
    std::vector<double> edgeQ_;  // ring edges
    std::vector<double> rayRun_; // x / y along each sector edge
};

} // namespace

bool isUsableSource(const ProjectionRecord& src)
{
    const double fields[] = {src.Cx, src.Cy, src.R, src.Alpha, src.Beta, src.Rot};
    for (const double f : fields)
        if (!std::isfinite(f))
            return false;
    return src.R > 0.0 && ((isIdealFisheye(src.Proj) && coefTablesFilled()) || src.Proj == RixLensSource);
}

SkyMap::SkyMap(const ProjectionRecord& src, const RadialModel& model, int width, int height, const RingLayout& layout)
    : src_(src)
    , model_(model)
    , width_(width)
    , height_(height)
    , layout_(layout)
    , binSolidAngle_(static_cast<std::size_t>(binCount()), 0.0)
{
    const PixelSky sky(src, model, layout);
    const double invR = 1.0 / src.R;
    // The columns of each row whose pixels may hold part of the circle.
    std::size_t count = 0;
    for (int j = 0; j < height; ++j) {
        const double y = (j + 0.5 - src.Cy) * invR;
        const double rest = sky.reachQ() - y * y;
        if (rest < 0.0)
            continue;
        const double reach = std::sqrt(rest) * src.R;
        const double first = std::ceil(src.Cx - reach - 0.5), end = std::floor(src.Cx + reach - 0.5) + 1.0;
        const int x0 = static_cast<int>(std::clamp(first, 0.0, double(width)));
        const int x1 = static_cast<int>(std::clamp(end, double(x0), double(width)));
        if (x1 <= x0)
            continue;
        rows_.push_back({j, x0, x1, count, count});
        count += static_cast<std::size_t>(x1 - x0);
    }
    count_ = count;
    weightCount_ = count;
    const bool axial = src.Alpha == 0.0 && src.Beta == 0.0;
    if (axial)
        shareWeights();
    weights_ = std::make_unique_for_overwrite<float[]>(weightCount_);
    bins_ = std::make_unique_for_overwrite<uint16_t[]>(count_);
    if (axial)
        buildAxial(sky);
    else
        buildGeneral(sky);
    linkInnerNeighbours();
    for (std::size_t i = 0; i < weightCount_; ++i)
        maxWeight_ = std::max(maxWeight_, weights_[i]);
    countBinPixels();
    double covered = 0.0;
    for (int b = 0; b < beyondBin(); ++b)
        covered += binSolidAngle_[static_cast<std::size_t>(b)];
    // Pixel centres on the rim side of an edge may add a few millionths
    // more than the cap holds; a share cannot exceed the whole.
    coveredShare_ = std::min(1.0, covered / (2.0 * std::numbers::pi * (1.0 - std::cos(layout.maxZenith()))));
}

// A row's bin changes at few places, so the pixels are counted run by run
// rather than one addition each to the same count.
void SkyMap::countBinPixels()
{
    binPixels_.assign(static_cast<std::size_t>(binCount()), 0.0);
    const uint16_t* bins = bins_.get();
    std::size_t runStart = 0;
    for (std::size_t i = 1; i <= count_; ++i)
        if (i == count_ || bins[i] != bins[runStart]) {
            binPixels_[bins[runStart]] += static_cast<double>(i - runStart);
            runStart = i;
        }
}

// With the view along the camera axis a pixel's weight depends only on its
// distance from the centre. When the centre lies on a pixel corner or on a
// row's centre line, the rows at y and -y hold exactly the same distances
// column by column, so the later of the two reads the earlier one's weights.
void SkyMap::shareWeights()
{
    const double twiceCy = 2.0 * src_.Cy;
    if (twiceCy != std::floor(twiceCy) || rows_.empty())
        return;
    std::size_t next = 0;
    for (std::size_t k = 0; k < rows_.size(); ++k) {
        Row& row = rows_[k];
        const double m = twiceCy - 1.0 - row.y - rows_.front().y; // the mirror's index
        if (m >= 0.0 && m < double(k)) {
            const Row& mirror = rows_[static_cast<std::size_t>(m)];
            if (mirror.y + row.y + 1.0 == twiceCy && mirror.x0 == row.x0 && mirror.x1 == row.x1) {
                row.firstWeight = mirror.firstWeight;
                row.mirrored = true;
                continue;
            }
        }
        row.firstWeight = next;
        next += static_cast<std::size_t>(row.x1 - row.x0);
    }
    weightCount_ = next;
}

// Row by row: the solid angles and the view-frame directions of all the
// row's pixels first (the loops in sky_rows, several pixels at a time), then
// each pixel's bin from its direction. A pixel behind the view weighs
// nothing.
void SkyMap::buildGeneral(const PixelSky& sky)
{
    std::vector<double> ez, azimuth;
    for (const Row& row : rows_) {
        const double y = sky.yOf(row.y);
        const auto n = static_cast<std::size_t>(row.x1 - row.x0);
        ez.resize(n);
        azimuth.resize(n);
        float* weight = weights_.get() + row.firstWeight;
        uint16_t* bin = bins_.get() + row.first;
        sky.directionRow(row.x0, row.x1, y, weight, ez.data(), azimuth.data());
        // Each pixel's ring is first looked for where its neighbour's was;
        // the weights are summed run by run of the same bin.
        std::size_t start = 0;
        int ring = -1;
        for (std::size_t i = 0; i < n; ++i) {
            const double c = onOrAboveHorizon(ez[i]);
            if (c < 0.0) {
                weight[i] = 0.0f; // behind the view
                bin[i] = sky.beyond();
            } else {
                if (!layout_.holds(ring, c))
                    ring = layout_.ringOf(c);
                bin[i] = sky.binOf(ring, azimuth[i]);
            }
            if (bin[i] != bin[start]) {
                binSolidAngle_[bin[start]] += sumOf(weight + start, static_cast<int>(i - start));
                start = i;
            }
        }
        if (n > 0)
            binSolidAngle_[bin[start]] += sumOf(weight + start, static_cast<int>(n - start));
        weighRimPixels(static_cast<std::size_t>(&row - rows_.data()), sky, ez.data());
    }
}

// The pixels of a row that reach past the rim, at its two ends, take the
// solid angle of their own square's inside (PixelSky::rimPixel) in place
// of the table's; a mirrored row reads them from its mirror. Those of them
// not wholly inside are listed, and the row's inner span ends where they
// begin. ez: the row's view-frame cosines off the camera axis (nullptr
// along it), by which the pixels behind the view stay at 0.
void SkyMap::weighRimPixels(std::size_t r, const PixelSky& sky, const double* ez)
{
    Row& row = rows_[r];
    const double y = sky.yOf(row.y);
    float* weight = weights_.get() + row.firstWeight;
    const uint16_t* bin = bins_.get() + row.first;
    // Pixel i, if it may reach past the rim.
    const auto weigh = [&](int i) -> std::optional<RimPixel> {
        const double x = sky.xOf(i);
        if (!sky.acrossRim(x * x + y * y))
            return std::nullopt;
        const RadialTable::RimPixel p = sky.rimPixel(x, y);
        const auto k = static_cast<std::size_t>(i - row.x0);
        const bool behind = ez != nullptr && onOrAboveHorizon(ez[k]) < 0.0;
        if (!behind && !row.mirrored) {
            const auto solid = static_cast<float>(p.solid);
            binSolidAngle_[bin[k]] += double(solid) - double(weight[k]);
            weight[k] = solid;
        }
        return RimPixel{static_cast<uint32_t>(r), i, static_cast<float>(p.inside), weight[k], bin[k]};
    };
    const auto partlyOutside = [](const RimPixel& p) { return p.inside < 1.0f; };
    std::vector<RimPixel> right;
    row.inner0 = row.x0;
    int i = row.x0;
    for (std::optional<RimPixel> p; i < row.x1 && (p = weigh(i)); ++i)
        if (row.inner0 == i && partlyOutside(*p)) {
            row.inner0 = i + 1;
            rim_.push_back(*p);
        }
    row.inner1 = row.x1;
    for (std::optional<RimPixel> p; row.inner1 > row.inner0 && (p = weigh(row.inner1 - 1)) && partlyOutside(*p);) {
        --row.inner1;
        right.push_back(*p);
    }
    // The rest of the row's pixels that may reach past the rim, for their weights.
    for (int j = row.inner1 - 1; j >= i && weigh(j); --j) {
    }
    rim_.insert(rim_.end(), right.rbegin(), right.rend());
}

// Step by step towards the centre from each rim pixel with little inside,
// until a pixel with a quarter inside or more.
void SkyMap::linkInnerNeighbours()
{
    constexpr int kSteps = 3; // a pixel with so little inside lies within a step or two of one with more
    const auto before = [](const RimPixel& a, const RimPixel& b) { return a.row != b.row ? a.row < b.row : a.x < b.x; };
    for (RimPixel& p : rim_) {
        if (p.inside >= kLeastInside)
            continue;
        double cx = p.x + 0.5, cy = rows_[p.row].y + 0.5; // the step's pixel centre
        for (int step = 0; step < kSteps; ++step) {
            const double dx = cx - src_.Cx, dy = cy - src_.Cy;
            const double d = std::hypot(dx, dy);
            if (!(d > 1.0))
                break;
            const int x = static_cast<int>(std::floor(cx - dx / d)), y = static_cast<int>(std::floor(cy - dy / d));
            const Row* row = rowAt(y);
            if (row == nullptr || x < row->x0 || x >= row->x1)
                break;
            float inside = 1.0f;
            if (x < row->inner0 || x >= row->inner1) {
                const RimPixel key{static_cast<uint32_t>(row - rows_.data()), x, 0.0f, 0.0f, 0};
                inside = std::lower_bound(rim_.begin(), rim_.end(), key, before)->inside;
            }
            if (inside >= kLeastInside) {
                p.innerX = x;
                p.innerY = y;
                p.innerInside = inside;
                break;
            }
            cx = x + 0.5;
            cy = y + 0.5;
        }
    }
}

// With the view along the camera axis, a pixel's ring depends only on its
// distance from the centre and its sector only on its direction from the
// centre, so along a row the bin changes only where the row crosses a ring
// edge (a circle), a sector edge (a ray from the centre) or the centre's
// column. Those places are worked out per row; the pixels next to
// each are classified exactly as the general build does, and the stretches
// between them are filled whole. Only the solid angle is computed for every
// pixel.
void SkyMap::buildAxial(const PixelSky& sky)
{
    const AxialCuts cuts(sky, layout_);
    std::vector<double> at;
    for (const Row& row : rows_) {
        const double y = sky.yOf(row.y);
        cuts.ofRow(sky, y, at);
        int start = row.x0;
        uint16_t bin = sky.at(sky.xOf(start), y).bin;
        int known = start; // every pixel up to here is classified
        const auto close = [&](int end) {
            const std::size_t offset = std::size_t(start - row.x0);
            std::fill_n(bins_.get() + row.first + offset, end - start, bin);
            float* weights = weights_.get() + row.firstWeight + offset;
            binSolidAngle_[bin] += row.mirrored ? sumOf(weights, end - start) : sky.solidRow(start, end, y, weights);
        };
        for (const double c : at) {
            // The cut lies between pixel floor(c) and the next; a cut that
            // falls almost on a pixel centre may, after rounding, fall on
            // either side of it, so that pixel's other neighbour is read too.
            const double f = std::floor(c);
            const double low = c - f < kNearCentre ? f - 1.0 : f;
            const double high = c - f > 1.0 - kNearCentre ? f + 3.0 : f + 2.0;
            const int from = std::max(known + 1, static_cast<int>(std::clamp(low, double(row.x0), double(row.x1))));
            const int to = static_cast<int>(std::clamp(high, double(row.x0), double(row.x1)));
            for (int i = from; i < to; ++i) {
                const uint16_t here = sky.at(sky.xOf(i), y).bin;
                if (here != bin) {
                    close(i);
                    start = i;
                    bin = here;
                }
            }
            known = std::max(known, to - 1);
        }
        close(row.x1);
        weighRimPixels(static_cast<std::size_t>(&row - rows_.data()), sky, nullptr);
    }
}

const SkyMap::Row* SkyMap::rowAt(int y) const
{
    if (rows_.empty() || y < rows_.front().y || y > rows_.back().y)
        return nullptr;
    const Row& row = rows_[static_cast<std::size_t>(y - rows_.front().y)];
    return row.y == y ? &row : nullptr;
}

bool SkyMap::matches(
    const ProjectionRecord& src, const RadialModel& model, int width, int height, const RingLayout& layout) const
{
    return sameRecord(src, src_) && model == model_ && width == width_ && height == height_ && layout == layout_;
}

std::shared_ptr<const SkyMap> sharedSkyMap(
    const ProjectionRecord& src, const RadialModel& model, int width, int height, const RingLayout& layout)
{
    static LastBuilt<SkyMap> last;
    return last.get([&](const SkyMap& kept) { return kept.matches(src, model, width, height, layout); },
        [&] { return std::make_shared<const SkyMap>(src, model, width, height, layout); });
}

} // namespace karwen::canopy
