#include "map_storage.h"

#include <mutex>
#include <utility>
#include <vector>

namespace karwen::canopy {

namespace {

constexpr std::size_t kKept = 2;

struct Spares {
    std::mutex mutex;
    std::vector<MapStorage> kept;
};

// Never destroyed: maps still cached at exit are freed by other static
// objects' destructors, which may run after this one's would.
Spares& spares()
{
    static Spares* const spares = new Spares;
    return *spares;
}

} // namespace

MapStorage MapStorage::take(std::size_t count)
{
    {
        Spares& s = spares();
        const std::lock_guard lock(s.mutex);
        auto& kept = s.kept;
        for (auto it = kept.begin(); it != kept.end(); ++it)
            if (it->capacity >= count && it->capacity - count <= count / 4) {
                MapStorage found = std::move(*it);
                kept.erase(it);
                return found;
            }
    }
    // An eighth more, so that the map of a slightly larger circle fits too.
    const std::size_t capacity = count + count / 8;
    return {std::make_unique_for_overwrite<float[]>(capacity), std::make_unique_for_overwrite<uint16_t[]>(capacity),
        capacity};
}

void MapStorage::give(MapStorage storage)
{
    if (storage.capacity == 0)
        return;
    MapStorage dropped; // freed outside the lock
    Spares& s = spares();
    const std::lock_guard lock(s.mutex);
    auto& kept = s.kept;
    if (kept.size() == kKept) {
        dropped = std::move(kept.front());
        kept.erase(kept.begin());
    }
    kept.push_back(std::move(storage));
}

} // namespace karwen::canopy
