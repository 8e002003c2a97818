// TurboJPEG reports only the first warning of each decode, so the file's
// first warning decides, and a harmless one must not be allowed to hide what
// comes after it:
//  1. The file is decoded with TJFLAG_STOPONWARNING. No warning: done. Stray
//     bytes before a restart or end-of-image marker, or any warning that is
//     not about metadata: damage.
//  2. A harmless first warning is trouble in the header. A copy with the
//     header put right (withHeaderRepaired) is decoded the same way, and its
//     first warning is judged again; stray bytes are damage now before any
//     marker, since the copy has none left in its header. This also covers a
//     progressive file: stray bytes before a DHT or SOS marker between its
//     scans are damage.
//  3. A harmless warning that the copy still gives (progressive parameters in
//     a later scan header of a sequential file; or a header walk that did not
//     reach the first scan, so that no copy was made) is accepted, and the
//     file is decoded to the end through it; damage after it goes unseen.
// No decoder sees every damage: data that goes out of step only within the
// few bytes it reads ahead ends without a warning.
#include "jpeg_decoder.h"

#include "decode_limit.h"
#include "errors.h"
#include "jpeg_frame.h"
#include "turbojpeg_handle.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace rix {

namespace {

// Even a flat picture costs at least one bit per 8 x 8 block in every scan
// that codes it, so real files stay far below 1000 pixels per byte. Small
// images are always allowed.
constexpr uint64_t kMaxPixelsPerByte = 1000;
constexpr uint64_t kAlwaysAllowedPixels = 1u << 20;

constexpr const char* kDamagedPrefix = "damaged JPEG data: ";

// Warnings about metadata segments and scan headers, which leave every pixel
// as it was coded.
constexpr std::array<std::string_view, 4> kMetadataWarnings = {
    "Unknown Adobe color transform code",
    "bad ICC marker",
    "unknown JFIF revision number",
    "Invalid SOS parameters for sequential JPEG",
};

// "Corrupt JPEG data: N extraneous bytes before marker 0xXX"
constexpr std::string_view kStrayBytes = "extraneous bytes before marker 0x";

bool isRestartOrEnd(long marker) { return (marker >= 0xd0 && marker <= 0xd7) || marker == 0xd9; }

// A warning that leaves the pixels alone. Stray bytes are harmless only
// between header segments, and a header that has been put right has none.
bool isHarmless(const std::string& warning, bool headerRepaired)
{
    const auto stray = warning.find(kStrayBytes);
    if (stray != std::string::npos)
        return !headerRepaired
            && !isRestartOrEnd(std::strtol(warning.c_str() + stray + kStrayBytes.size(), nullptr, 16));
    return std::any_of(kMetadataWarnings.begin(), kMetadataWarnings.end(),
        [&](std::string_view w) { return warning.find(w) != std::string::npos; });
}

void checkSize(int width, int height, std::size_t fileBytes)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width < 1 || height < 1)
        throw Error("the JPEG header gives the image size " + size + ", which holds no pixels");
    if (width > kMaxSide || height > kMaxSide)
        throw Error("too large: " + size + " pixels, more than " + std::to_string(kMaxSide) + " a side");
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    if (pixels > kAlwaysAllowedPixels + kMaxPixelsPerByte * fileBytes)
        throw Error("the JPEG file is far too short for a " + size + " image");
}

struct Header {
    int width = 0;
    int height = 0;
    bool cmyk = false; // CMYK or YCCK
};

Header readHeader(const TjHandle& tj, const uint8_t* data, std::size_t size)
{
    Header h;
    int subsampling = 0, colorspace = 0;
    const bool described
        = tjDecompressHeader3(tj.get(), data, size, &h.width, &h.height, &subsampling, &colorspace) == 0
        || (tjGetErrorCode(tj.get()) == TJERR_WARNING && isHarmless(messageOf(tj), false));
    // TurboJPEG refuses sampling factors it cannot name, yet decodes them, and
    // reports no size for a file that ends early. The frame header then tells
    // enough, and the decoder judges the rest, once the header is whole.
    if (!described || h.width < 1 || h.height < 1) {
        const std::string problem = "unreadable JPEG header: " + messageOf(tj);
        const std::optional<JpegFrame> frame = findJpegFrame(data, size);
        if (!frame)
            throw Error(described ? "the JPEG header ends before the image size" : problem);
        checkSize(frame->width, frame->height, size);
        if (!described && !jpegHeaderIsWhole(data, size))
            throw Error(problem);
        h.width = frame->width;
        h.height = frame->height;
        colorspace = frame->components == 4 ? TJCS_CMYK : TJCS_RGB;
    }
    checkSize(h.width, h.height, size);
    h.cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    return h;
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

// What one decode gave: nothing to report, the first warning, or an error.
struct Pass {
    bool warned = false;
    bool failed = false;
    std::string message;
};

TjHandle decompressor()
{
    TjHandle tj(tjInitDecompress());
    if (!tj)
        throw Error("cannot start the JPEG decoder");
    return tj;
}

} // namespace

void jpegSize(const uint8_t* data, std::size_t size, int& width, int& height)
{
    const Header header = readHeader(decompressor(), data, size);
    width = header.width;
    height = header.height;
}

DecodedImage decodeJpeg(const uint8_t* data, std::size_t size, bool stopAtDamage, int scale)
{
    if (scale != 1 && scale != 2 && scale != 4 && scale != 8)
        throw Error("no such decoding scale: 1/" + std::to_string(scale));
    TjHandle tj = decompressor();
    const Header header = readHeader(tj, data, size);

    // TJPF_BGRA with TJFLAG_BOTTOMUP is exactly our bottom-up 0xffRRGGBB
    // layout (little-endian), the fourth byte 0xff; CMYK also takes four
    // bytes and is turned into RGB in place. Every pixel is written, even
    // from damaged data.
    checkDecodedPixels(header.width, header.height);
    const tjscalingfactor factor{1, scale};
    const int width = TJSCALED(header.width, factor), height = TJSCALED(header.height, factor);
    auto image = decodedImage(width, height, false);
    std::vector<uint8_t> repaired;
    const uint8_t* input = data;
    std::size_t inputSize = size;
    // A scaled decode has given up the finest detail already: its chroma
    // (of half the luma's resolution in most photos) is widened by repeating
    // pixels rather than by interpolating them, which spares a sixth of the
    // decoding; luma is decoded the same either way.
    const int upsampling = scale > 1 ? TJFLAG_FASTUPSAMPLE : 0;
    auto decode = [&](int extraFlags) {
        const int flags = TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT | TJFLAG_LIMITSCANS | extraFlags | upsampling;
        if (tjDecompress2(tj.get(), input, inputSize, reinterpret_cast<unsigned char*>(image->data()), width, width * 4,
                height, header.cmyk ? TJPF_CMYK : TJPF_BGRA, flags)
            == 0)
            return Pass{};
        const bool failed = tjGetErrorCode(tj.get()) != TJERR_WARNING;
        return Pass{!failed, failed, messageOf(tj)};
    };

    Pass first = decode(TJFLAG_STOPONWARNING);
    bool headerRepaired = false;
    if (first.warned && isHarmless(first.message, false)) {
        if (std::optional<std::vector<uint8_t>> copy = withHeaderRepaired(data, size)) {
            repaired = std::move(*copy);
            input = repaired.data();
            inputSize = repaired.size();
            headerRepaired = true;
            first = decode(TJFLAG_STOPONWARNING);
        }
    }
    if (first.failed)
        throw Error(kDamagedPrefix + first.message);
    const bool damaged = first.warned && !isHarmless(first.message, headerRepaired);
    if (damaged && stopAtDamage)
        return {nullptr, kDamagedPrefix + first.message};
    if (first.warned) { // on through the warnings, to the end
        const Pass whole = decode(0);
        if (whole.failed)
            throw Error(kDamagedPrefix + whole.message);
    }
    if (header.cmyk)
        cmykToRgbInPlace(*image);
    const std::optional<JpegFrame> frame = findJpegFrame(data, size);
    image->markGrey(frame && frame->components == 1);
    return {std::move(image), damaged ? kDamagedPrefix + first.message : std::string()};
}

} // namespace rix
