// Memory for image pixels, 64-byte aligned. Large buffers (2 MB and more)
// are 2 MB aligned and asked to be backed by huge pages, because
// first-touching fresh memory is slow. The contents start undefined: a
// buffer may be one that a freed image used.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rix {

class PixelBuffer {
public:
    PixelBuffer() = default;
    explicit PixelBuffer(std::size_t pixelCount); // throws std::bad_alloc
    ~PixelBuffer();
    PixelBuffer(PixelBuffer&& other) noexcept;
    PixelBuffer& operator=(PixelBuffer&& other) noexcept;
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    uint32_t* data() const { return data_; }
    std::size_t size() const { return count_; }

private:
    void release();

    uint32_t* data_ = nullptr;
    std::size_t count_ = 0;
};

} // namespace rix
