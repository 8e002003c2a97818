#include "pixel_buffer.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace rix {

namespace {
constexpr std::size_t kAlignment = 64;
constexpr std::size_t kHugePage = 2u << 20;
}

PixelBuffer::PixelBuffer(std::size_t pixelCount)
{
    const std::size_t bytes = pixelCount * sizeof(uint32_t);
    const std::size_t align = bytes >= kHugePage ? kHugePage : kAlignment;
    const std::size_t rounded = (bytes + align - 1) / align * align;
    void* p = std::aligned_alloc(align, rounded == 0 ? align : rounded);
    if (!p)
        throw std::bad_alloc();
    if (align == kHugePage)
        madvise(p, rounded, MADV_HUGEPAGE);
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
    std::free(data_);
    data_ = nullptr;
    count_ = 0;
}

} // namespace rix
