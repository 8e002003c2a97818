// RIX: the imaging library. It keeps images in memory behind integer handles
// and does all pixel work: BMP and JPEG files, resampling between fisheye
// projections, drawing into a caller's canvas and finding the image circle.
//
// Coordinates: x counts columns from the left edge, y counts rows upward from
// the bottom edge. Pixel (i, j) covers [i, i+1) x [j, j+1); its centre is
// (i + 0.5, j + 0.5).
//
// Failure contract, the same for every function: the result is 1 (or a
// handle of 1 or more) if successful, 0 if an error occurred; RixLastError()
// then tells why. Handles 0 and -1 mean "no image"; RixDestroy ignores them.
// File names are UTF-8 paths. The header is plain C (C99 or later) as well
// as C++.
#ifndef KARWEN_IMAGING_RIX_H
#define KARWEN_IMAGING_RIX_H

#include <stdint.h>

// The ideal projections, by the codes the field Proj holds. Codes 0 to 3 are
// fisheye projections, which a photo may have (sources) and a conversion may
// make; the perspective view (4) has its horizon at infinity, so it may only
// be made. Any other code is refused by every function that takes one.
typedef enum RixProjection {
    RixOrthographic = 0,   // r = sin(theta)
    RixEquisolidangle = 1, // r = sqrt(2) sin(theta / 2)
    RixEquidistant = 2,    // r = theta / (pi / 2)
    RixStereographic = 3,  // r = tan(theta / 2)
    RixPerspective = 4,    // r = tan(theta), unbounded
    // A real lens described by a RixLens passed beside the record: a source
    // only, and only for the functions that take the lens (the ...Lens ones).
    RixLensSource = 5
} RixProjection;

#ifdef __cplusplus
#define RIX_CONSTEXPR constexpr // C++ may also test codes at compile time
#else
#define RIX_CONSTEXPR
#endif
// 1 for codes 0 to 3, else 0.
static inline RIX_CONSTEXPR int32_t RixIsFisheye(int32_t proj)
{
    return proj >= RixOrthographic && proj <= RixStereographic;
}
// A photo may have this projection: the fisheye ones.
static inline RIX_CONSTEXPR int32_t RixMayBeSource(int32_t proj) { return RixIsFisheye(proj); }
// A conversion may make this projection: the fisheye ones and perspective.
static inline RIX_CONSTEXPR int32_t RixMayBeDestination(int32_t proj)
{
    return RixIsFisheye(proj) || proj == RixPerspective;
}

#pragma pack(push, 1)
// One side of a conversion: circle centre and radius in pixels, view
// direction and tilt in degrees, projection code (RixProjection). Crosses the
// interface as stored: six doubles then one int32, no gaps.
typedef struct ProjectionRecord {
    double Cx, Cy, R, Alpha, Beta, Rot;
    int32_t Proj;
} ProjectionRecord;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(ProjectionRecord) == 52, "ProjectionRecord must be 52 bytes");
#else
_Static_assert(sizeof(ProjectionRecord) == 52, "ProjectionRecord must be 52 bytes");
#endif

// Left/Top: first content column/row; Right/Bottom: one past the last.
// Rows are counted from the bottom edge.
typedef struct RixRect {
    int32_t Left, Top, Right, Bottom;
} RixRect;

// The fisheye image circle found on an image: centre and radius in pixels,
// continuous coordinates as above, not clamped to the image (a circle cut
// by the frame keeps its own centre and radius). Confident is 1 when a disc
// stands out of a darker surround clearly enough to be trusted, 0 when the
// image shows none: no dark surround, a disc less than 8 levels (of 255)
// above it, a radius under 5 % of the image's shorter side, or a rim seen
// along too few angles (content fading into black all round). The other
// fields are then 0 when there is no disc, else a best guess.
typedef struct RixCircle {
    double Cx, Cy, R;
    int32_t Confident;
} RixCircle;

// A caller-owned 32-bit pixel buffer in QImage::Format_RGB32 layout
// (0xffRRGGBB per pixel, rows top-down, bytesPerLine apart).
typedef struct RixCanvas {
    uint8_t* bits;
    int32_t width, height, bytesPerLine;
} RixCanvas;

// The function of a real lens: rho = r / R, the distance from the circle's
// centre in radii of the record's circle (R), as a polynomial in the angle
// theta from the lens axis, in radians:
//   rho = A[0] theta + A[1] theta^2 + ... + A[RIX_LENS_TERMS - 1] theta^5.
// The lens sees out to HalfFov degrees from its axis, more than 90 for some
// lenses. A lens is accepted (RixLensCheck) when every figure is finite,
// 0 < HalfFov <= RIX_LENS_MAX_HALF_FOV and rho rises over [0, HalfFov].
// With R the radius of the 90-degree circle, rho(pi / 2) is 1.
#define RIX_LENS_TERMS 5
#define RIX_LENS_MAX_HALF_FOV 120.0
typedef struct RixLens {
    double A[RIX_LENS_TERMS];
    double HalfFov;
} RixLens;

#ifdef __cplusplus
extern "C" {
#endif

int32_t RixCreate(int32_t width, int32_t height);
int32_t RixDestroy(int32_t handle);
int32_t RixWidth(int32_t handle);
int32_t RixHeight(int32_t handle);
// A file whose pixel data is damaged (cut short, corrupt entropy-coded
// data) fails; RixLastError() then holds "damaged BMP data" or "damaged JPEG
// data" and what is wrong.
int32_t RixLoadBMP(const char* fileName);
int32_t RixLoadJPG(const char* fileName);
// The same, except that a file whose pixel data is damaged still loads, with
// what could be decoded (missing BMP rows black, unreadable JPEG blocks grey):
// *damaged is then 1 and RixLastError() tells what is wrong, as after a
// failure; otherwise *damaged is 0. A file that cannot be read at all fails.
// RixLoadJPG at 1 / scale (scale 1, 2, 4 or 8), through the DCT's own
// scaling, which leaves out most of the decoding work: the image is
// ceil(width / scale) x ceil(height / scale) pixels of the file's width x
// height, counted from the file's top-left corner. A point (x, y) of the
// file lies at (x / scale, height' - (height - y) / scale) of the image of
// height height'. The pixel limit (RixSetMaxPixels) is the file's.
int32_t RixLoadJPGScaled(const char* fileName, int32_t scale);
// The width and height a JPEG file's header gives, without its pixels.
int32_t RixJPGSize(const char* fileName, int32_t* width, int32_t* height);
int32_t RixSalvageBMP(const char* fileName, int32_t* damaged);
int32_t RixSalvageJPG(const char* fileName, int32_t* damaged);
// Whether the image was read from a file of one grey channel: a JPEG of
// one component, a BMP of 8 bits or fewer whose palette holds only greys.
// 1 when it was, 0 when not (a made or converted image, a colour photo) and
// for a handle that is no image.
int32_t RixIsGrey(int32_t handle);
// The same of a file, from its headers alone: *grey is 1 or 0.
int32_t RixFileIsGrey(const char* fileName, int32_t* grey);
int32_t RixSaveBMP(int32_t handle, const char* fileName);
int32_t RixSaveJPG(int32_t handle, const char* fileName, int32_t* quality);
// The whole file RixSaveBMP or RixSaveJPG would write, handed in one piece
// to write(context, data, size) for a caller that puts it where it chooses;
// write returns 1 when it kept the bytes, else 0, and keeps its own reason.
typedef int32_t (*RixWriteBytes)(void* context, const uint8_t* data, int64_t size);
int32_t RixWriteBMP(int32_t handle, RixWriteBytes write, void* context);
int32_t RixWriteJPG(int32_t handle, int32_t* quality, RixWriteBytes write, void* context);
int32_t RixSDeform(
    int32_t src, int32_t dst, const ProjectionRecord* srcPrm, const ProjectionRecord* dstPrm, int32_t interp);
int32_t RixStretchBlt(int32_t handle, int32_t sx, int32_t sy, int32_t sw, int32_t sh, RixCanvas* dc, int32_t dx,
    int32_t dy, int32_t dw, int32_t dh);
int32_t RixBound(int32_t handle, RixRect* rect);
// The image circle of the image; success (1) also when none was found with
// confidence, which circle->Confident tells. RixBound gives the box of this
// circle clamped to the image, or the whole image when there is none.
int32_t RixFindCircle(int32_t handle, RixCircle* circle);
// The box RixBound gives for a circle RixFindCircle found on a width x
// height image, without looking for the circle again.
int32_t RixCircleBound(const RixCircle* circle, int32_t width, int32_t height, RixRect* rect);

// The pixels RixSDeform would write at n chosen pixels of a destination of
// dstWidth x dstHeight, bit for bit, without making the rest: pixel i at
// column xs[i] and row ys[i] (rows counted up from the bottom edge) goes to
// out[i]. For reading a few points of a large destination. A point off the
// destination is an error (0, out unchanged).
int32_t RixSDeformPoints(int32_t src, int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm,
    const ProjectionRecord* dstPrm, int32_t interp, const int32_t* xs, const int32_t* ys, int32_t n, uint32_t* out);

// Where RixSDeform takes those pixels from: the source image point it
// samples for pixel i (column xs[i], row ys[i]) of a dstWidth x dstHeight
// destination goes to sx[i], sy[i], continuous coordinates as above; -1, -1
// where the pixel shows no source (outside a fisheye destination circle,
// behind the source hemisphere, records that describe no circle). Nearest
// pixel reads the source pixel containing the point; a point off
// [0, width) x [0, height) of the source reads black. A point off the
// destination is an error (0, outputs unchanged).
int32_t RixSDeformSources(int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm,
    const ProjectionRecord* dstPrm, const int32_t* xs, const int32_t* ys, int32_t n, float* sx, float* sy);

// A lens the ...Lens functions accept: 1, else 0 with RixLastError() saying
// what is wrong ("the lens function does not rise over its field of view").
int32_t RixLensCheck(const RixLens* lens);

// RixSDeform, RixSDeformPoints and RixSDeformSources for a source seen
// through a real lens: srcPrm->Proj must be RixLensSource and srcLens the
// lens. The source covers the directions within srcLens->HalfFov of its
// axis. Each call reads the lens afresh, so threads may convert through
// different lenses at once.
int32_t RixSDeformLens(int32_t src, int32_t dst, const ProjectionRecord* srcPrm, const RixLens* srcLens,
    const ProjectionRecord* dstPrm, int32_t interp);
int32_t RixSDeformPointsLens(int32_t src, int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm,
    const RixLens* srcLens, const ProjectionRecord* dstPrm, int32_t interp, const int32_t* xs, const int32_t* ys,
    int32_t n, uint32_t* out);
int32_t RixSDeformSourcesLens(int32_t dstWidth, int32_t dstHeight, const ProjectionRecord* srcPrm,
    const RixLens* srcLens, const ProjectionRecord* dstPrm, const int32_t* xs, const int32_t* ys, int32_t n, float* sx,
    float* sy);

// How many threads one RixSDeform call made from the calling thread may use,
// the calling thread included: n from 1 up, or 0 for all the library's
// threads (one per core; the start value of every thread). The setting
// belongs to the calling thread alone, so J threads that convert side by
// side, each set to cores / J, share the cores without crowding one
// another. Results are the same bits for every setting. 0 when n < 0.
int32_t RixSetThreads(int32_t n);

// The most pixels (width x height) an image loaded from a file may have, for
// every thread: a larger one fails from its header, before its pixels take
// memory, and RixLastError() says "too large: W x H pixels, more than the
// limit of N". A load whose pixels do not fit in memory fails with "too
// large: W x H pixels; out of memory". 0 for no limit beyond the formats'
// own (the start value). 0 when maxPixels < 0.
int32_t RixSetMaxPixels(int64_t maxPixels);

// Why the last failing call on this thread failed, prefixed with the
// function's name; "" when nothing has failed yet. Valid until the next call.
const char* RixLastError(void);

// Read access to an image's pixels without a copy: *bits receives row 0,
// the bottom edge; rows follow bottom-up, *stridePixels pixels apart, and
// each pixel is 0xffRRGGBB. The pixels stay valid until the image is
// destroyed or written (the destination of RixSDeform).
int32_t RixPixels(int32_t handle, const uint32_t** bits, int32_t* stridePixels);

#ifdef __cplusplus
}
#endif

#endif
