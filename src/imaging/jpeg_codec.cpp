// JPEG loading and saving through libjpeg-turbo's TurboJPEG API; decoding
// and the judging of its warnings are in jpeg_decoder.h. No EXIF orientation
// is applied: pixels stay as stored.
#include "codecs.h"
#include "errors.h"
#include "file_bytes.h"
#include "jpeg_decoder.h"
#include "memory_codecs.h"
#include "save_file.h"
#include "turbojpeg_handle.h"

#include <algorithm>
#include <vector>

namespace rix {

namespace {

std::string withPath(const std::string& path, const std::string& message) { return "'" + path + "': " + message; }

DecodedImage decodeJpegFile(const uint8_t* data, std::size_t size, bool stopAtDamage)
{
    if (size < 3 || data[0] != 0xff || data[1] != 0xd8 || data[2] != 0xff)
        throw Error("not a JPEG file");
    return decodeJpeg(data, size, stopAtDamage);
}

} // namespace

std::unique_ptr<Image> loadJpegFromMemory(const uint8_t* data, std::size_t size)
{
    DecodedImage decoded = decodeJpegFile(data, size, true);
    if (!decoded.damage.empty())
        throw Error(decoded.damage);
    return std::move(decoded.image);
}

DecodedImage salvageJpegFromMemory(const uint8_t* data, std::size_t size) { return decodeJpegFile(data, size, false); }

std::unique_ptr<Image> loadJpeg(const std::string& path)
{
    const karwen::files::FileBytes bytes = karwen::files::FileBytes::read(path);
    try {
        return loadJpegFromMemory(bytes.data(), bytes.size());
    } catch (const Error& e) {
        throw Error(withPath(path, e.what()));
    }
}

DecodedImage salvageJpeg(const std::string& path)
{
    const karwen::files::FileBytes bytes = karwen::files::FileBytes::read(path);
    try {
        DecodedImage decoded = salvageJpegFromMemory(bytes.data(), bytes.size());
        if (!decoded.damage.empty())
            decoded.damage = withPath(path, decoded.damage);
        return decoded;
    } catch (const Error& e) {
        throw Error(withPath(path, e.what()));
    }
}

// Chroma is subsampled 4:2:0.
std::vector<uint8_t> encodeJpeg(const Image& image, int quality)
{
    quality = std::clamp(quality, 1, 100);
    TjHandle tj(tjInitCompress());
    if (!tj)
        throw Error("cannot start the JPEG encoder");
    unsigned char* raw = nullptr;
    unsigned long bytes = 0;
    const int result = tjCompress2(tj.get(), reinterpret_cast<const unsigned char*>(image.data()),
                                   image.width(), image.width() * 4, image.height(), TJPF_BGRX, &raw,
                                   &bytes, TJSAMP_420, quality, TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT);
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
