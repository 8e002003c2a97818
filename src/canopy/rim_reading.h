// How the pixels across the rim are read. Beyond the rim of its field a
// lens shows nothing, so where the photo is dark there, a pixel that the
// rim crosses holds its inside's light diluted by that black: read as it
// stands, a rim pixel of open sky falls below the threshold, and the
// darkened pixels form a population of their own in the histogram. Such a
// pixel is read by its inside instead: its linearised value over the share
// of its square inside the rim. One with less than a quarter inside, whose
// value is mostly the black's, takes the value of its inner neighbour (the
// pixel one step towards the centre along the radius). Either way the rim
// pixels stay out of the histogram the threshold is found on.
//
// The photo counts as dark beyond the rim when the pixels whose centres lie
// 1 to 3 pixels past it have a median linearised value below 5 % of the
// threshold. Where it is not (a circle given inside the picture, a lens
// that sees past 90 degrees, whose rim pixels here lie on its 90-degree
// line), the rim pixels are read as all the others.
#pragma once

#include "pixel_values.h"
#include "pixel_view.h"
#include "sky_map.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace karwen::canopy {

class RimReading {
public:
    // view holds the photo's pixels the map was built for; map and values
    // must outlive the reading.
    RimReading(const PixelView& view, const SkyMap& map, const ValueTable& values);

    // Whether the rim pixels are read by their inside at this threshold.
    [[nodiscard]] bool appliesAt(int threshold) const { return surround_ && *surround_ * 20 < threshold; }
    // Whether they may be at some threshold of the scale.
    [[nodiscard]] bool mayApply() const { return appliesAt(255); }

    // The value each of the map's rim pixels (SkyMap::rimPixels, in its
    // order) is classified by: read by its inside, or as it stands.
    [[nodiscard]] std::vector<uint8_t> values(bool inside) const;

private:
    [[nodiscard]] uint8_t byInside(uint32_t pixel, float inside) const;

    const SkyMap& map_;
    const ValueTable& values_;
    // The median linearised value beyond the rim, if the map's edge is the
    // rim of the lens's field and the photo holds pixels there.
    std::optional<int> surround_;
    // By rim pixel: its own pixel and its inner neighbour's, if it has one.
    std::vector<uint32_t> own_, inner_;
};

} // namespace karwen::canopy
