#include "jpeg_decoder.h"

#include "errors.h"
#include "jpeg_frame.h"

#include <csetjmp>
#include <cstdio> // before jpeglib.h, which needs FILE
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace rix {

namespace {

// Even a flat picture costs at least one bit per 8 x 8 block in every scan
// that codes it, so real files stay far below 1000 pixels per byte. Small
// images are always allowed.
constexpr uint64_t kMaxPixelsPerByte = 1000;
constexpr uint64_t kAlwaysAllowedPixels = 1u << 20;
// Every scan of a progressive file costs work over the whole image; real
// files have about ten, crafted ones thousands.
constexpr int kMaxScans = 500;

constexpr const char* kDamagedPrefix = "damaged JPEG data: ";

// One decoder and what its callbacks learnt. libjpeg leaves on an error by
// calling error_exit, which must not return: it jumps back to the setjmp in
// whichever step is running. Those steps hold no objects with destructors,
// and the messages are plain arrays, so the jump skips no cleanup.
struct Session {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf exit{};
    bool stopAtDamage = false;
    bool inScans = false;    // the header up to the first scan has been read
    bool endedEarly = false; // the data ran out
    char failure[JMSG_LENGTH_MAX] = "";
    char damage[JMSG_LENGTH_MAX] = ""; // the first damage seen

    ~Session() { jpeg_destroy_decompress(&cinfo); }
};

Session& sessionOf(j_common_ptr c) { return *static_cast<Session*>(c->client_data); }

bool isRestartOrEnd(int marker) { return (marker >= 0xd0 && marker <= 0xd7) || marker == 0xd9; }

// Warnings about metadata segments and scan headers, which leave every
// pixel as it was coded.
bool isHarmless(const Session& s, const jpeg_error_mgr& err)
{
    switch (err.msg_code) {
    case JWRN_ADOBE_XFORM:
    case JWRN_BOGUS_ICC:
    case JWRN_JFIF_MAJOR:
    case JWRN_NOT_SEQUENTIAL:
        return true;
    case JWRN_EXTRANEOUS_DATA:
        return !s.inScans && !isRestartOrEnd(err.msg_parm.i[1]);
    default:
        return false;
    }
}

[[noreturn]] void onError(j_common_ptr c)
{
    Session& s = sessionOf(c);
    c->err->format_message(c, s.failure);
    std::longjmp(s.exit, 1);
}

void onMessage(j_common_ptr c, int level)
{
    if (level >= 0)
        return; // trace output
    Session& s = sessionOf(c);
    if (isHarmless(s, *c->err))
        return;
    if (c->err->msg_code == JWRN_JPEG_EOF)
        s.endedEarly = true;
    if (s.damage[0] == '\0')
        c->err->format_message(c, s.damage);
    if (s.stopAtDamage)
        std::longjmp(s.exit, 1);
}

void onProgress(j_common_ptr c)
{
    const auto* d = reinterpret_cast<j_decompress_ptr>(c);
    if (d->progressive_mode && d->input_scan_number > kMaxScans) {
        Session& s = sessionOf(c);
        std::snprintf(s.failure, sizeof s.failure, "the progressive JPEG image has more than %d scans", kMaxScans);
        std::longjmp(s.exit, 1);
    }
}

bool readHeader(Session& s, const uint8_t* data, std::size_t size)
{
    s.cinfo.err = jpeg_std_error(&s.errors);
    s.errors.error_exit = onError;
    s.errors.emit_message = onMessage;
    if (setjmp(s.exit))
        return false;
    jpeg_create_decompress(&s.cinfo);
    s.cinfo.client_data = &s;
    s.progress.progress_monitor = onProgress;
    s.cinfo.progress = &s.progress;
    jpeg_mem_src(&s.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&s.cinfo, TRUE);
    s.inScans = true;
    return true;
}

// Rows are handed over bottom row last, so that rows[0] is the top row.
bool readRows(Session& s, JSAMPROW* rows, bool cmyk)
{
    if (setjmp(s.exit))
        return false;
    s.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    s.cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&s.cinfo);
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        const JDIMENSION line = s.cinfo.output_scanline;
        jpeg_read_scanlines(&s.cinfo, rows + line, s.cinfo.output_height - line);
    }
    jpeg_finish_decompress(&s.cinfo); // reads on to the end, where stray bytes show
    return true;
}

void checkSize(int64_t width, int64_t height, std::size_t fileBytes)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width < 1 || height < 1)
        throw Error("the JPEG header gives the image size " + size + ", which holds no pixels");
    if (width > kMaxSide || height > kMaxSide)
        throw Error(
            "the JPEG image is " + size + " pixels; at most " + std::to_string(kMaxSide) + " a side can be opened");
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    if (pixels > kAlwaysAllowedPixels + kMaxPixelsPerByte * fileBytes)
        throw Error("the JPEG file is far too short for a " + size + " image");
}

[[noreturn]] void throwHeaderProblem(const Session& s, const uint8_t* data, std::size_t size)
{
    // The frame header alone may still tell why: a size no decoder takes.
    if (const std::optional<JpegFrame> frame = findJpegFrame(data, size))
        checkSize(frame->width, frame->height, size);
    else if (s.endedEarly)
        throw Error("the JPEG header ends before the image size");
    throw Error(std::string("unreadable JPEG header: ") + (s.failure[0] ? s.failure : s.damage));
}

// Adobe CMYK files, which are nearly all CMYK JPEGs, store inverted values
// (255 = no ink), and libjpeg passes them on unchanged. So each channel
// times K over 255 is the RGB value.
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

} // namespace

DecodedImage decodeJpeg(const uint8_t* data, std::size_t size, bool stopAtDamage)
{
    Session s;
    s.stopAtDamage = stopAtDamage;
    if (!readHeader(s, data, size))
        throwHeaderProblem(s, data, size);
    const int64_t width = s.cinfo.image_width;
    const int64_t height = s.cinfo.image_height;
    checkSize(width, height, size);

    // BGRA is our 0xffRRGGBB layout (little-endian) with the fourth byte
    // 0xff; CMYK also takes four bytes and is turned into RGB in place.
    // Every pixel is written, even from damaged data.
    auto image = std::make_unique<Image>(int32_t(width), int32_t(height), kForOverwrite);
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(height));
    for (int32_t y = 0; y < int32_t(height); ++y)
        rows[std::size_t(y)] = reinterpret_cast<JSAMPROW>(image->row(int32_t(height) - 1 - y));
    const bool cmyk = s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK;
    if (!readRows(s, rows.data(), cmyk)) {
        if (s.failure[0])
            throw Error(kDamagedPrefix + std::string(s.failure));
        return {nullptr, kDamagedPrefix + std::string(s.damage)};
    }
    if (cmyk)
        cmykToRgbInPlace(*image);
    return {std::move(image), s.damage[0] ? kDamagedPrefix + std::string(s.damage) : std::string()};
}

} // namespace rix
