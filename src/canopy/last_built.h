// The last value built, kept for whoever asks next for the same: a photo
// series through one circle needs its geometry once. Values are built
// outside the lock, so a thread asking for another one need not wait for
// this one; the later of two builds is the one kept. Safe to call from
// several threads.
#pragma once

#include <memory>
#include <mutex>

namespace karwen::canopy {

template <class Value> class LastBuilt {
public:
    // The kept value when matches(it) holds, else build()'s, which is then kept.
    template <class Matches, class Build> [[nodiscard]] std::shared_ptr<const Value> get(Matches matches, Build build)
    {
        {
            const std::lock_guard lock(mutex_);
            if (last_ && matches(*last_))
                return last_;
        }
        std::shared_ptr<const Value> built = build();
        const std::lock_guard lock(mutex_);
        last_ = built;
        return built;
    }

private:
    std::mutex mutex_;
    std::shared_ptr<const Value> last_;
};

} // namespace karwen::canopy
