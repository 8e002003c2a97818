#include "bmp_rle.h"

#include <algorithm>

namespace rix::bmp {

namespace {

// Cursor over the image: x may run past the right edge (those pixels are
// dropped), but pixels are only ever stored inside the image.
class RleCanvas {
public:
    RleCanvas(Image& image, const Palette& palette)
        : image_(image)
        , palette_(palette)
    {
    }

    bool pastTop() const { return y_ >= image_.height(); }
    // Stores palette[index] at the cursor and advances it.
    void put(uint8_t index)
    {
        if (x_ < image_.width())
            image_.row(int32_t(y_))[x_] = palette_[index];
        ++x_;
    }
    void endOfLine()
    {
        x_ = 0;
        ++y_;
    }
    void move(int dx, int dy)
    {
        x_ += dx;
        y_ += dy;
    }

private:
    Image& image_;
    const Palette& palette_;
    int64_t x_ = 0;
    int64_t y_ = 0;
};

constexpr const char* kPastTop = "the RLE data runs past the top of the image";

} // namespace

std::string decodeRle(const uint8_t* data, std::size_t size, bool fourBit, const Palette& palette, Image& image)
{
    std::fill_n(image.data(), std::size_t(image.width()) * std::size_t(image.height()), kBlackPixel);
    RleCanvas canvas(image, palette);
    auto nibbleOrByte = [fourBit](uint8_t byte, int k) -> uint8_t {
        if (!fourBit)
            return byte;
        return (k & 1) ? byte & 0x0f : byte >> 4;
    };

    // Every code consumes at least two bytes, so the loop ends.
    std::size_t i = 0;
    while (true) {
        if (size - i < 2) {
            if (canvas.pastTop())
                return {}; // only the end-of-bitmap code is missing
            return "the RLE data ends before the end-of-bitmap code";
        }
        const uint8_t count = data[i];
        const uint8_t value = data[i + 1];
        i += 2;
        if (count > 0) { // encoded run: count pixels of one index (two alternating for RLE4)
            if (canvas.pastTop())
                return kPastTop;
            for (int k = 0; k < count; ++k)
                canvas.put(nibbleOrByte(value, k));
        } else if (value == 0) {
            canvas.endOfLine();
        } else if (value == 1) {
            return {};
        } else if (value == 2) {
            if (size - i < 2)
                return "the RLE delta code is cut short";
            canvas.move(data[i], data[i + 1]);
            i += 2;
        } else { // absolute run of `value` pixels, padded to an even byte count
            const std::size_t bytes = fourBit ? (value + 1u) / 2u : value;
            if (size - i < bytes)
                return "an RLE absolute run is cut short";
            if (canvas.pastTop())
                return kPastTop;
            for (int k = 0; k < value; ++k)
                canvas.put(nibbleOrByte(data[i + (fourBit ? std::size_t(k) / 2 : std::size_t(k))], k));
            i += std::min(size - i, (bytes + 1) & ~std::size_t(1));
        }
    }
}

} // namespace rix::bmp
