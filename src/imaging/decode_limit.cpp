#include "decode_limit.h"

#include "errors.h"

#include <atomic>
#include <new>
#include <string>

namespace rix {

namespace {

std::atomic<uint64_t> maxDecodedPixels{0};

std::string tooLarge(int64_t width, int64_t height)
{
    return "too large: " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

} // namespace

void setMaxDecodedPixels(uint64_t pixels) { maxDecodedPixels.store(pixels, std::memory_order_relaxed); }

void checkDecodedPixels(int64_t width, int64_t height)
{
    const uint64_t limit = maxDecodedPixels.load(std::memory_order_relaxed);
    if (limit != 0 && uint64_t(width) * uint64_t(height) > limit)
        throw Error(tooLarge(width, height) + ", more than the limit of " + std::to_string(limit));
}

std::unique_ptr<Image> decodedImage(int32_t width, int32_t height, bool cleared)
{
    try {
        return cleared ? std::make_unique<Image>(width, height) : std::make_unique<Image>(width, height, kForOverwrite);
    } catch (const std::bad_alloc&) {
        throw Error(tooLarge(width, height) + "; out of memory");
    }
}

} // namespace rix
