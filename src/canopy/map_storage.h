// The per-pixel arrays of a sky map, recycled: a map freed hands its arrays
// to the next map of about the same size. Fresh memory costs a page fault
// per 4 KB on first touch, some 3 ms for the 16 MB of a 5-Mpx photo's map,
// which a new circle per photo (--detect-circle) would pay every time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace karwen::canopy {

struct MapStorage {
    std::unique_ptr<float[]> weights;
    std::unique_ptr<uint16_t[]> bins;
    std::size_t capacity = 0;

    // Arrays for count pixels, contents undefined: recycled ones when a
    // freed pair fits without wasting more than a quarter, else new ones.
    [[nodiscard]] static MapStorage take(std::size_t count);
    // Keeps the arrays for a later take (a few pairs at most).
    static void give(MapStorage storage);
};

} // namespace karwen::canopy
