// The C boundary of the library: argument checks, handle lookup, and the
// translation of exceptions into the result 0 with a last-error message.
#include "rix.h"

#include "codecs.h"
#include "decode_limit.h"
#include "errors.h"
#include "image_store.h"
#include "lens_form.h"
#include "memory_codecs.h"
#include "operations.h"
#include "thread_pool.h"

#include <string>
#include <vector>

using namespace rix;

namespace {

Image& imageOf(int32_t handle)
{
    Image* image = findImage(handle);
    if (!image)
        throw Error("invalid handle " + std::to_string(handle));
    return *image;
}

const char* checkedName(const char* fileName)
{
    if (!fileName || !*fileName)
        throw Error("no file name");
    return fileName;
}

// Adopts what a salvaging load read; a damage report becomes the last error.
int32_t adoptSalvaged(const char* function, DecodedImage decoded, int32_t* damaged)
{
    const int32_t handle = adoptImage(std::move(decoded.image));
    *damaged = decoded.damage.empty() ? 0 : 1;
    if (*damaged)
        setLastError(function, decoded.damage);
    return handle;
}

int32_t* checkedFlag(int32_t* damaged)
{
    if (!damaged)
        throw Error("no place for the damage flag");
    return damaged;
}

} // namespace

extern "C" {

int32_t RixCreate(int32_t width, int32_t height)
{
    return guarded("RixCreate", [&] { return adoptImage(std::make_unique<Image>(width, height)); });
}

int32_t RixDestroy(int32_t handle)
{
    return guarded("RixDestroy", [&] {
        if (handle == 0 || handle == -1)
            return 1;
        if (!destroyImage(handle))
            throw Error("invalid handle " + std::to_string(handle));
        return 1;
    });
}

int32_t RixWidth(int32_t handle)
{
    return guarded("RixWidth", [&] { return imageOf(handle).width(); });
}

int32_t RixHeight(int32_t handle)
{
    return guarded("RixHeight", [&] { return imageOf(handle).height(); });
}

int32_t RixLoadBMP(const char* fileName)
{
    return guarded("RixLoadBMP", [&] { return adoptImage(loadBmp(checkedName(fileName))); });
}

int32_t RixLoadJPG(const char* fileName)
{
    return guarded("RixLoadJPG", [&] { return adoptImage(loadJpeg(checkedName(fileName))); });
}

int32_t RixLoadJPGScaled(const char* fileName, int32_t scale)
{
    return guarded("RixLoadJPGScaled", [&] { return adoptImage(loadScaledJpeg(checkedName(fileName), scale)); });
}

int32_t RixJPGSize(const char* fileName, int32_t* width, int32_t* height)
{
    return guarded("RixJPGSize", [&] {
        if (!width || !height)
            throw Error("no place for the size");
        int w = 0, h = 0;
        jpegFileSize(checkedName(fileName), w, h);
        *width = w;
        *height = h;
        return 1;
    });
}

int32_t RixSalvageBMP(const char* fileName, int32_t* damaged)
{
    return guarded("RixSalvageBMP", [&] {
        int32_t* flag = checkedFlag(damaged);
        return adoptSalvaged("RixSalvageBMP", salvageBmp(checkedName(fileName)), flag);
    });
}

int32_t RixSalvageJPG(const char* fileName, int32_t* damaged)
{
    return guarded("RixSalvageJPG", [&] {
        int32_t* flag = checkedFlag(damaged);
        return adoptSalvaged("RixSalvageJPG", salvageJpeg(checkedName(fileName)), flag);
    });
}

int32_t RixIsGrey(int32_t handle)
{
    return guarded("RixIsGrey", [&] { return imageOf(handle).grey() ? 1 : 0; });
}

int32_t RixFileIsGrey(const char* fileName, int32_t* grey)
{
    return guarded("RixFileIsGrey", [&] {
        int32_t* flag = checkedFlag(grey);
        *flag = fileIsGrey(checkedName(fileName)) ? 1 : 0;
        return 1;
    });
}

int32_t RixSaveBMP(int32_t handle, const char* fileName)
{
    return guarded("RixSaveBMP", [&] {
        saveBmp(imageOf(handle), checkedName(fileName));
        return 1;
    });
}

int32_t RixSaveJPG(int32_t handle, const char* fileName, int32_t* quality)
{
    return guarded("RixSaveJPG", [&] {
        if (!quality)
            throw Error("no quality given");
        saveJpeg(imageOf(handle), checkedName(fileName), *quality);
        return 1;
    });
}

namespace {

int32_t handedOver(const std::vector<uint8_t>& file, RixWriteBytes write, void* context)
{
    if (write(context, file.data(), int64_t(file.size())) != 1)
        throw Error("the file was not kept");
    return 1;
}

RixWriteBytes checkedWriter(RixWriteBytes write)
{
    if (!write)
        throw Error("no writer given");
    return write;
}

} // namespace

int32_t RixWriteBMP(int32_t handle, RixWriteBytes write, void* context)
{
    return guarded(
        "RixWriteBMP", [&] { return handedOver(encodeBmp(imageOf(handle)), checkedWriter(write), context); });
}

int32_t RixWriteJPG(int32_t handle, int32_t* quality, RixWriteBytes write, void* context)
{
    return guarded("RixWriteJPG", [&] {
        if (!quality)
            throw Error("no quality given");
        return handedOver(encodeJpeg(imageOf(handle), *quality), checkedWriter(write), context);
    });
}

namespace {

// The checks shared by the conversions with and without a lens.
void checkRecords(const ProjectionRecord* srcPrm, const ProjectionRecord* dstPrm)
{
    if (!srcPrm || !dstPrm)
        throw Error("no projection record");
}

void checkInterpolation(int32_t interp)
{
    if (interp < 0 || interp > 2)
        throw Error("interpolation must be 0, 1 or 2");
}

void checkPointArgs(int32_t dstWidth, int32_t dstHeight, int32_t n, bool pointersGiven)
{
    if (dstWidth < 1 || dstHeight < 1 || n < 0 || (n > 0 && !pointersGiven))
        throw Error("invalid destination or points");
}

// The lens of one call, checked, in the kernels' form for that call alone.
LensForm lensFormOf(const RixLens* lens)
{
    if (!lens)
        throw Error("no lens");
    std::string why;
    const std::optional<LensFunction> function = LensFunction::make(*lens, &why);
    if (!function)
        throw Error(why);
    return LensForm(*function);
}

void deformChecked(int32_t src, int32_t dst, const ProjectionRecord* srcPrm, const ProjectionRecord* dstPrm,
    int32_t interp, const LensForm* lens)
{
    checkRecords(srcPrm, dstPrm);
    checkInterpolation(interp);
    if (src == dst)
        throw Error("source and destination must differ");
    deform(imageOf(src), imageOf(dst), *srcPrm, *dstPrm, interp, lens);
}

void pointsChecked(int32_t src, int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm,
    const ProjectionRecord* dstPrm, int32_t interp, const int32_t* xs, const int32_t* ys, int32_t n, uint32_t* out,
    const LensForm* lens)
{
    checkRecords(srcPrm, dstPrm);
    checkInterpolation(interp);
    checkPointArgs(dstWidth, dstHeight, n, xs && ys && out);
    deformPoints(imageOf(src), dstWidth, dstHeight, *srcPrm, *dstPrm, interp, xs, ys, n, out, lens);
}

void sourcesChecked(int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm, const ProjectionRecord* dstPrm,
    const int32_t* xs, const int32_t* ys, int32_t n, float* sx, float* sy, const LensForm* lens)
{
    checkRecords(srcPrm, dstPrm);
    checkPointArgs(dstWidth, dstHeight, n, xs && ys && sx && sy);
    deformSources(dstWidth, dstHeight, *srcPrm, *dstPrm, xs, ys, n, sx, sy, lens);
}

} // namespace

int32_t RixSDeform(
    int32_t src, int32_t dst, const ProjectionRecord* srcPrm, const ProjectionRecord* dstPrm, int32_t interp)
{
    return guarded("RixSDeform", [&] {
        deformChecked(src, dst, srcPrm, dstPrm, interp, nullptr);
        return 1;
    });
}

int32_t RixSDeformPoints(int32_t src, int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm,
    const ProjectionRecord* dstPrm, int32_t interp, const int32_t* xs, const int32_t* ys, int32_t n, uint32_t* out)
{
    return guarded("RixSDeformPoints", [&] {
        pointsChecked(src, dstWidth, dstHeight, srcPrm, dstPrm, interp, xs, ys, n, out, nullptr);
        return 1;
    });
}

int32_t RixSDeformSources(int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm,
    const ProjectionRecord* dstPrm, const int32_t* xs, const int32_t* ys, int32_t n, float* sx, float* sy)
{
    return guarded("RixSDeformSources", [&] {
        sourcesChecked(dstWidth, dstHeight, srcPrm, dstPrm, xs, ys, n, sx, sy, nullptr);
        return 1;
    });
}

int32_t RixLensCheck(const RixLens* lens)
{
    return guarded("RixLensCheck", [&] {
        (void)lensFormOf(lens);
        return 1;
    });
}

int32_t RixSDeformLens(int32_t src, int32_t dst, const ProjectionRecord* srcPrm, const RixLens* srcLens,
    const ProjectionRecord* dstPrm, int32_t interp)
{
    return guarded("RixSDeformLens", [&] {
        const LensForm lens = lensFormOf(srcLens);
        deformChecked(src, dst, srcPrm, dstPrm, interp, &lens);
        return 1;
    });
}

int32_t RixSDeformPointsLens(int32_t src, int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm,
    const RixLens* srcLens, const ProjectionRecord* dstPrm, int32_t interp, const int32_t* xs, const int32_t* ys,
    int32_t n, uint32_t* out)
{
    return guarded("RixSDeformPointsLens", [&] {
        const LensForm lens = lensFormOf(srcLens);
        pointsChecked(src, dstWidth, dstHeight, srcPrm, dstPrm, interp, xs, ys, n, out, &lens);
        return 1;
    });
}

int32_t RixSDeformSourcesLens(int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm,
    const RixLens* srcLens, const ProjectionRecord* dstPrm, const int32_t* xs, const int32_t* ys, int32_t n, float* sx,
    float* sy)
{
    return guarded("RixSDeformSourcesLens", [&] {
        const LensForm lens = lensFormOf(srcLens);
        sourcesChecked(dstWidth, dstHeight, srcPrm, dstPrm, xs, ys, n, sx, sy, &lens);
        return 1;
    });
}

int32_t RixStretchBlt(int32_t handle, int32_t sx, int32_t sy, int32_t sw, int32_t sh, RixCanvas* dc, int32_t dx,
    int32_t dy, int32_t dw, int32_t dh)
{
    return guarded("RixStretchBlt", [&] {
        if (!dc || !dc->bits || dc->width < 0 || dc->height < 0 || dc->bytesPerLine < int64_t{dc->width} * 4)
            throw Error("invalid canvas");
        stretchBlt(imageOf(handle), sx, sy, sw, sh, *dc, dx, dy, dw, dh);
        return 1;
    });
}

int32_t RixBound(int32_t handle, RixRect* rect)
{
    return guarded("RixBound", [&] {
        if (!rect)
            throw Error("no rectangle");
        *rect = findBound(imageOf(handle));
        return 1;
    });
}

int32_t RixFindCircle(int32_t handle, RixCircle* circle)
{
    return guarded("RixFindCircle", [&] {
        if (!circle)
            throw Error("no circle record");
        *circle = findCircle(imageOf(handle));
        return 1;
    });
}

int32_t RixCircleBound(const RixCircle* circle, int32_t width, int32_t height, RixRect* rect)
{
    return guarded("RixCircleBound", [&] {
        if (!circle || !rect)
            throw Error("no circle or rectangle");
        if (width < 1 || height < 1)
            throw Error("invalid image size");
        *rect = circleBound(*circle, width, height);
        return 1;
    });
}

int32_t RixSetThreads(int32_t n)
{
    return guarded("RixSetThreads", [&] {
        if (n < 0)
            throw Error("the number of threads must be 0 (all) or more");
        setCallThreads(n);
        return 1;
    });
}

int32_t RixSetMaxPixels(int64_t maxPixels)
{
    return guarded("RixSetMaxPixels", [&] {
        if (maxPixels < 0)
            throw Error("the largest number of pixels must be 0 (no limit) or more");
        setMaxDecodedPixels(uint64_t(maxPixels));
        return 1;
    });
}

const char* RixLastError(void) { return lastError(); }

int32_t RixPixels(int32_t handle, const uint32_t** bits, int32_t* stridePixels)
{
    return guarded("RixPixels", [&] {
        if (!bits || !stridePixels)
            throw Error("no place for the pixels");
        const Image& image = imageOf(handle);
        *bits = image.data();
        *stridePixels = static_cast<int32_t>(image.stride());
        return 1;
    });
}

} // extern "C"
