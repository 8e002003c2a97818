// JPEG loading and saving through libjpeg-turbo's TurboJPEG API; decoding
// and the judging of its warnings are in jpeg_decoder.h. No EXIF orientation
// is applied: pixels stay as stored.
#include "codecs.h"
#include "decoded_file.h"
#include "errors.h"
#include "jpeg_decoder.h"
#include "jpeg_frame.h"
#include "memory_codecs.h"
#include "save_file.h"
#include "turbojpeg_handle.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace rix {

namespace {

void checkSignature(const uint8_t* data, std::size_t size)
{
    if (size < 3 || data[0] != 0xff || data[1] != 0xd8 || data[2] != 0xff)
        throw Error("not a JPEG file");
}

DecodedImage decodeJpegFile(const uint8_t* data, std::size_t size, bool stopAtDamage, int scale = 1)
{
    checkSignature(data, size);
    return decodeJpeg(data, size, stopAtDamage, scale);
}

// A load stops at the first damage; a salvage decodes what it can.
DecodedImage loadingJpeg(const uint8_t* data, std::size_t size) { return decodeJpegFile(data, size, true); }

} // namespace

bool jpegIsGrey(const uint8_t* data, std::size_t size)
{
    checkSignature(data, size);
    const std::optional<JpegFrame> frame = findJpegFrame(data, size);
    if (!frame)
        throw Error("the JPEG header ends before the image size");
    return frame->components == 1;
}

std::unique_ptr<Image> loadJpegFromMemory(const uint8_t* data, std::size_t size)
{
    return wholeImage(loadingJpeg(data, size));
}

DecodedImage salvageJpegFromMemory(const uint8_t* data, std::size_t size) { return decodeJpegFile(data, size, false); }

std::unique_ptr<Image> loadJpeg(const std::string& path) { return wholeImage(decodeFile(path, loadingJpeg)); }

std::unique_ptr<Image> loadScaledJpeg(const std::string& path, int scale)
{
    return wholeImage(decodeFile(
        path, [scale](const uint8_t* data, std::size_t size) { return decodeJpegFile(data, size, true, scale); }));
}

// The header of nearly every photo lies in its first bytes (EXIF and the
// other metadata segments take at most 64 KiB each); a longer one, or one
// found wrong, is read again with the whole file.
constexpr std::size_t kHeaderBytes = 256 * 1024;

void jpegFileSize(const std::string& path, int& width, int& height)
{
    const auto size = [&](const uint8_t* data, std::size_t bytes) {
        checkSignature(data, bytes);
        jpegSize(data, bytes, width, height);
        return DecodedImage{};
    };
    const karwen::files::FileBytes start = karwen::files::FileBytes::read(path, kHeaderBytes);
    if (start.size() == kHeaderBytes && jpegHeaderIsWhole(start.data(), start.size())) {
        try {
            (void)size(start.data(), start.size());
            return;
        } catch (const Error&) {
            // Told below in the words the whole file gives.
        }
    }
    (void)decodeFile(path, size);
}

DecodedImage salvageJpeg(const std::string& path) { return decodeFile(path, salvageJpegFromMemory); }

// Chroma is subsampled 4:2:0.
std::vector<uint8_t> encodeJpeg(const Image& image, int quality)
{
    quality = std::clamp(quality, 1, 100);
    TjHandle tj(tjInitCompress());
    if (!tj)
        throw Error("cannot start the JPEG encoder");
    unsigned char* raw = nullptr;
    unsigned long bytes = 0;
    const int result
        = tjCompress2(tj.get(), reinterpret_cast<const unsigned char*>(image.data()), image.width(), image.width() * 4,
            image.height(), TJPF_BGRX, &raw, &bytes, TJSAMP_420, quality, TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT);
    std::unique_ptr<unsigned char, TjBufferDeleter> jpeg(raw);
    if (result != 0)
        throw Error("cannot encode the JPEG image: " + messageOf(tj));
    return std::vector<uint8_t>(jpeg.get(), jpeg.get() + bytes);
}

void saveJpeg(const Image& image, const std::string& path, int quality)
{
    const std::vector<uint8_t> file = encodeJpeg(image, quality);
    karwen::files::saveFile(path, file.data(), file.size());
}

} // namespace rix
