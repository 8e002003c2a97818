// The values of the last few keys asked for, each built once. Builds run
// outside the lock, so that workers with different keys build at once; a
// worker that asks for a key while another builds it waits for that build
// instead of doing it again.
#pragma once

#include <cstddef>
#include <future>
#include <list>
#include <memory>
#include <mutex>
#include <utility>

namespace karwen::light {

template <class Key, class Value> class RecentCache {
public:
    using Shared = std::shared_ptr<const Value>;

    // Keeps the most recent values whose costs add up to at most budget,
    // and the latest always.
    explicit RecentCache(std::size_t budget)
        : budget_(budget)
    {
    }

    template <class Build> [[nodiscard]] Shared get(const Key& key, Build&& build, std::size_t cost = 1)
    {
        std::promise<Shared> promise;
        std::shared_future<Shared> value;
        unsigned long buildId = 0; // 0: another caller builds it
        {
            const std::lock_guard lock(mutex_);
            if (auto found = find(key); found != entries_.end()) {
                entries_.splice(entries_.begin(), entries_, found);
                value = found->value;
            } else {
                value = promise.get_future().share();
                buildId = ++lastId_;
                keep({key, value, buildId, cost});
            }
        }
        if (buildId == 0)
            return value.get();
        try {
            promise.set_value(std::forward<Build>(build)());
        } catch (...) {
            promise.set_exception(std::current_exception());
            forget(buildId);
        }
        return value.get();
    }

    // Keeps a value built elsewhere, unless the key has one already.
    void offer(const Key& key, Shared value, std::size_t cost = 1)
    {
        const std::lock_guard lock(mutex_);
        if (find(key) != entries_.end())
            return;
        std::promise<Shared> promise;
        promise.set_value(std::move(value));
        keep({key, promise.get_future().share(), ++lastId_, cost});
    }

private:
    struct Entry {
        Key key;
        std::shared_future<Shared> value;
        unsigned long id;
        std::size_t cost;
    };

    void keep(Entry entry)
    {
        spent_ += entry.cost;
        entries_.push_front(std::move(entry));
        while (spent_ > budget_ && entries_.size() > 1) {
            spent_ -= entries_.back().cost;
            entries_.pop_back();
        }
    }

    typename std::list<Entry>::iterator find(const Key& key)
    {
        auto it = entries_.begin();
        while (it != entries_.end() && !(it->key == key))
            ++it;
        return it;
    }

    // A failed build is not kept: the next caller tries again.
    void forget(unsigned long id)
    {
        const std::lock_guard lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->id == id) {
                spent_ -= it->cost;
                entries_.erase(it);
                return;
            }
        }
    }

    std::mutex mutex_;
    std::list<Entry> entries_; // the most recently asked for first
    std::size_t budget_, spent_ = 0;
    unsigned long lastId_ = 0;
};

} // namespace karwen::light
