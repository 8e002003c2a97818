// Large pixel buffers come straight from mmap, 2 MB aligned and marked for
// transparent huge pages. Touching fresh memory for the first time is what
// costs (over 100 ms for 48 MB on a virtual machine, against about 1 ms for
// memory already in use), so freed large buffers are kept in a small cache
// and handed out again to the next image of a similar size: a batch run or
// an Apply that re-creates its images then reuses warm pages.
#include "pixel_buffer.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rix {

namespace {

constexpr std::size_t kAlignment = 64;
constexpr std::size_t kHugePage = std::size_t(2) << 20;
// At most this many freed buffers, and this many bytes, stay cached.
constexpr std::size_t kCachedBuffers = 3;
constexpr std::size_t kCachedBytes = std::size_t(256) << 20;

bool isLarge(std::size_t bytes) { return bytes >= kHugePage; }

std::size_t roundUp(std::size_t bytes, std::size_t align) { return (bytes + align - 1) / align * align; }

void* mapHuge(std::size_t bytes)
{
    // Over-allocate by one huge page and trim to a 2 MB aligned range.
    const std::size_t span = bytes + kHugePage;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = roundUp(start, kHugePage);
    if (aligned > start)
        munmap(raw, aligned - start);
    const std::uintptr_t end = start + span, used = aligned + bytes;
    if (end > used)
        munmap(reinterpret_cast<void*>(used), end - used);
    void* p = reinterpret_cast<void*>(aligned);
    madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}

// Every large block the library holds, live or cached, with its mapped size.
class LargeBlocks {
public:
    ~LargeBlocks()
    {
        for (const Block& b : cached_)
            munmap(b.p, b.bytes);
    }

    void* take(std::size_t bytes)
    {
        const std::size_t rounded = roundUp(bytes, kHugePage);
        {
            std::lock_guard lock(mutex_);
            // The smallest cached block that holds the request without
            // wasting more than a quarter of it; the warmest among equals.
            std::size_t best = cached_.size();
            for (std::size_t i = cached_.size(); i-- > 0;) {
                const std::size_t size = cached_[i].bytes;
                if (size >= rounded && size - rounded <= rounded / 4
                    && (best == cached_.size() || size < cached_[best].bytes))
                    best = i;
            }
            if (best != cached_.size()) {
                const Block b = cached_[best];
                cached_.erase(cached_.begin() + std::ptrdiff_t(best));
                cachedBytes_ -= b.bytes;
                live_.emplace(b.p, b.bytes);
                return b.p;
            }
        }
        void* p = mapHuge(rounded);
        if (!p)
            return nullptr;
        try {
            std::lock_guard lock(mutex_);
            live_.emplace(p, rounded);
        } catch (...) {
            munmap(p, rounded);
            return nullptr;
        }
        return p;
    }

    void give(void* p)
    {
        std::vector<Block> evicted;
        {
            std::lock_guard lock(mutex_);
            const auto it = live_.find(p);
            if (it == live_.end())
                return;
            cached_.push_back({p, it->second});
            cachedBytes_ += it->second;
            live_.erase(it);
            // Oldest first out.
            while (cached_.size() > kCachedBuffers || cachedBytes_ > kCachedBytes) {
                evicted.push_back(cached_.front());
                cachedBytes_ -= cached_.front().bytes;
                cached_.erase(cached_.begin());
            }
        }
        for (const Block& b : evicted)
            munmap(b.p, b.bytes);
    }

private:
    struct Block {
        void* p;
        std::size_t bytes;
    };
    std::mutex mutex_;
    std::vector<Block> cached_;
    std::size_t cachedBytes_ = 0;
    std::unordered_map<void*, std::size_t> live_;
};

// Never destroyed: images still held at exit are freed by the image table's
// own destructor, which may run after any other static object's, and must
// find the cache alive. The process's end returns the mappings.
LargeBlocks& largeBlocks()
{
    static LargeBlocks* const blocks = new LargeBlocks;
    return *blocks;
}

} // namespace

PixelBuffer::PixelBuffer(std::size_t pixelCount)
{
    if (pixelCount > SIZE_MAX / sizeof(uint32_t) - kHugePage)
        throw std::bad_alloc();
    const std::size_t bytes = pixelCount * sizeof(uint32_t);
    void* p = nullptr;
    if (isLarge(bytes))
        p = largeBlocks().take(bytes);
    else
        p = std::aligned_alloc(kAlignment, roundUp(bytes == 0 ? 1 : bytes, kAlignment));
    if (!p)
        throw std::bad_alloc();
    data_ = static_cast<uint32_t*>(p);
    count_ = pixelCount;
}

PixelBuffer::~PixelBuffer() { release(); }

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr))
    , count_(std::exchange(other.count_, 0))
{
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept
{
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        count_ = std::exchange(other.count_, 0);
    }
    return *this;
}

void PixelBuffer::release()
{
    if (data_) {
        if (isLarge(count_ * sizeof(uint32_t)))
            largeBlocks().give(data_);
        else
            std::free(data_);
    }
    data_ = nullptr;
    count_ = 0;
}

} // namespace rix
