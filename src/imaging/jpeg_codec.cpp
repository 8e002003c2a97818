// JPEG loading and saving through libjpeg-turbo's TurboJPEG API.
//
// Loading decodes straight into the image's pixel buffer: TJPF_BGRA with
// TJFLAG_BOTTOMUP is exactly our bottom-up 0xffRRGGBB layout (little-endian),
// and that format guarantees the fourth byte is 0xff. CMYK and YCCK files are
// decoded to CMYK in the same buffer (also four bytes per pixel) and turned
// into RGB in place, so no full-size copy is ever made. Accurate DCT is used.
//
// Damaged data: TurboJPEG reports recoverable problems as warnings. Warnings
// that touch nothing but metadata are accepted (see kHarmlessWarnings); any
// other warning (premature end of file, bad Huffman code, lost restart
// marker, ...) fails the load, so a truncated file is an error. TurboJPEG
// keeps only the last message, so after a harmless first warning only the
// last one of the full decode is judged.
//
// No EXIF orientation is applied: pixels stay as stored.
#include "codecs.h"
#include "errors.h"
#include "file_bytes.h"
#include "jpeg_frame.h"
#include "memory_codecs.h"
#include "save_file.h"

#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace rix {

namespace {

// Even a flat picture costs at least one bit per 8 x 8 block in every scan
// that codes it, so real files stay far below 1000 pixels per byte. Small
// images are always allowed.
constexpr uint64_t kMaxPixelsPerByte = 1000;
constexpr uint64_t kAlwaysAllowedPixels = 1u << 20;

constexpr std::array<std::string_view, 5> kHarmlessWarnings = {
    "extraneous bytes before marker",
    "Unknown Adobe color transform code",
    "bad ICC marker",
    "unknown JFIF revision number",
    "Invalid SOS parameters for sequential JPEG",
};

struct TjDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

struct TjBufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

// TurboJPEG's last message without the name of its own function in front
// ("tjDecompress2(): "), which means nothing to our callers.
std::string messageOf(const TjHandle& tj)
{
    std::string message = tjGetErrorStr2(tj.get());
    const auto end = message.find("(): ");
    if (end != std::string::npos && message.compare(0, 2, "tj") == 0)
        message.erase(0, end + 4);
    return message;
}

bool isHarmlessWarning(const TjHandle& tj)
{
    if (tjGetErrorCode(tj.get()) != TJERR_WARNING)
        return false;
    const std::string message = messageOf(tj);
    return std::any_of(kHarmlessWarnings.begin(), kHarmlessWarnings.end(),
                       [&](std::string_view w) { return message.find(w) != std::string::npos; });
}

// Adobe CMYK files, which are nearly all CMYK JPEGs, store inverted values
// (255 = no ink); TurboJPEG passes them on unchanged. So each channel times
// K over 255 is the RGB value.
void cmykToRgbInPlace(Image& image)
{
    auto* p = reinterpret_cast<uint8_t*>(image.data());
    const std::size_t count = std::size_t(image.width()) * std::size_t(image.height());
    auto scale = [](unsigned v, unsigned k) {
        const unsigned t = v * k + 128;
        return uint8_t((t + (t >> 8)) >> 8); // v * k / 255, rounded
    };
    for (std::size_t i = 0; i < count; ++i, p += 4) {
        const unsigned k = p[3];
        const uint32_t rgb = packRgb(scale(p[0], k), scale(p[1], k), scale(p[2], k));
        std::memcpy(p, &rgb, sizeof rgb);
    }
}

void checkSize(int width, int height, std::size_t fileBytes)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width < 1 || height < 1)
        throw Error("the JPEG header gives the image size " + size + ", which holds no pixels");
    if (width > kMaxSide || height > kMaxSide)
        throw Error("the JPEG image is " + size + " pixels; at most " + std::to_string(kMaxSide) +
                    " a side can be opened");
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    if (pixels > kAlwaysAllowedPixels + kMaxPixelsPerByte * fileBytes)
        throw Error("the JPEG file is far too short for a " + size + " image");
}

} // namespace

std::unique_ptr<Image> loadJpegFromMemory(const uint8_t* data, std::size_t size)
{
    if (size < 3 || data[0] != 0xff || data[1] != 0xd8 || data[2] != 0xff)
        throw Error("not a JPEG file");
    TjHandle tj(tjInitDecompress());
    if (!tj)
        throw Error("cannot start the JPEG decoder");
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    const bool described =
        tjDecompressHeader3(tj.get(), data, size, &width, &height, &subsampling, &colorspace) == 0 ||
        isHarmlessWarning(tj);
    // TurboJPEG refuses sampling factors it cannot name, yet decodes them, and
    // reports no size for a file that ends early. The frame header then tells
    // enough, and the decoder judges the rest.
    if (!described || width < 1 || height < 1) {
        const std::optional<JpegFrame> frame = findJpegFrame(data, size);
        if (!frame)
            throw Error(described ? "the JPEG header ends before the image size"
                                  : "unreadable JPEG header: " + messageOf(tj));
        width = frame->width;
        height = frame->height;
        colorspace = frame->components == 4 ? TJCS_CMYK : TJCS_RGB;
    }
    checkSize(width, height, size);

    // A successful decode writes every pixel.
    auto image = std::make_unique<Image>(width, height, kForOverwrite);
    const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    const int format = cmyk ? TJPF_CMYK : TJPF_BGRA;
    const int flags = TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT | TJFLAG_LIMITSCANS;
    auto decode = [&](int extraFlags) {
        return tjDecompress2(tj.get(), data, size, reinterpret_cast<unsigned char*>(image->data()), width,
                             width * 4, height, format, flags | extraFlags) == 0;
    };
    // Stopping at the first warning makes damaged files fail fast; a file
    // whose first warning is harmless is decoded again, to the end.
    if (!decode(TJFLAG_STOPONWARNING) && (!isHarmlessWarning(tj) || (!decode(0) && !isHarmlessWarning(tj))))
        throw Error("damaged JPEG data: " + messageOf(tj));
    if (cmyk)
        cmykToRgbInPlace(*image);
    return image;
}

std::unique_ptr<Image> loadJpeg(const std::string& path)
{
    const karwen::files::FileBytes bytes = karwen::files::FileBytes::read(path);
    try {
        return loadJpegFromMemory(bytes.data(), bytes.size());
    } catch (const Error& e) {
        throw Error("'" + path + "': " + e.what());
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
