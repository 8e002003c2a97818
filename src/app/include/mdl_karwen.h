// The program's shared state and the small routines that work on it: the
// image handles, both sides of the conversion, the view reference point, the
// file names and the view switches. Windows read and write these directly.
#pragma once

#include "lens_catalogue.h"
#include "projection_model.h"
#include "rix.h"

#include <cstdint>
#include <optional>
#include <string>

namespace karwen {

extern int32_t hSrc;   // source image handle; 1 or more names an image
extern int32_t hDst;   // destination image handle, same rule
extern int32_t Interp; // 0 nearest, 1 bilinear, 2 cubic convolution
extern int32_t SrcW, SrcH;
extern int32_t DstW, DstH;
extern RixRect SrcBound;
// What the last automatic reset of the source side found on the photo
// (Confident 0 when no image circle was found) and the circle it set.
struct AutomaticCircle {
    RixCircle found{};
    double cx = 0, cy = 0, r = 0; // SrcPrm's Cx, Cy, R right after the reset
    bool done = false;            // a reset has run since start-up
};
extern AutomaticCircle SrcAuto;
extern ProjectionRecord SrcPrm;
// The real lens the photo is read through while SrcPrm.Proj is
// RixLensSource; kept when another projection is chosen, for choosing it
// again.
extern std::optional<NamedLens> SrcLens;
// The lens chosen last is kept between runs, and a photo opened is read
// through it too, not through "Equidistant" (only while settings are kept).
extern bool SrcLensKept;
extern ProjectionRecord DstPrm;
extern float RefX, RefY; // view reference point, source pixels
extern std::string SrcFile, DstFile, AreaFile;
// Why the open photo's pixel data is damaged, in the library's words ("" for
// a whole photo): it shows what could be read, and is not measured.
extern std::string SrcDamage;
extern bool AreaOn;
extern bool GridOn;
extern int16_t GridR, GridTheta; // grid list indices
extern int16_t AreaFileTag;

// Start-up: every global to its start value (the zeroed state, then the
// defaults), and the projection names, coefficient and grid tables filled.
// The area tables (InitAreaTables, area library) and the windows are the
// caller's; the application's start-up, KarwenApp::Main, does both.
void initGlobals();

// Closes both image windows, destroys both images, and puts the menus and
// tool windows into the no-image state. Safe to re-enter.
void close_image();

// Resamples hSrc into hDst with the current parameters when both exist;
// otherwise does nothing. The library's result is not read.
void convert();
// After the destination side changed: when hDst exists, re-creates it if its
// size is no longer DstW x DstH (its view back to 100 %), converts, places
// the area dots while AreaOn is set and redraws the destination view.
void rebuildDestination();
// Refresh requests to the image views (no-ops without windows).
// area_update places the area dots only while AreaOn is set.
void area_update();
void dst_update();
void dst_reset_sc();
void src_update();

// SrcPrm.Alpha/Beta from RefX/RefY, and back, through SrcLens while SrcPrm
// reads the photo through a lens. When the source record cannot
// place a point (radius not above 0, projection code out of range) the
// outputs keep their values rather than becoming NaN.
void ref2angle();
void angle2ref();
// With detect: finds the circle on hSrc and resets the source side (centre
// of the box, 0.47 of its larger side, no tilt, equidistant, reference point
// at the centre), keeping what was found in SrcAuto; in every case the parameters dialog is refreshed from the
// globals.
void reset_src_param(bool detect);
// The source side a canopy measurement reads the photo through. While
// SrcPrm's circle is still the one the last automatic reset set (within
// 0.005 px, the fields' two decimals), and that
// reset found the image circle with confidence, the found circle itself
// (its rim the 90-degree horizon; through a lens, the rim of the lens's
// field) with the rest of SrcPrm: detected is set.
// Otherwise SrcPrm as it is. A view point within 0.005 px of the circle's
// centre looks along the camera axis (Alpha and Beta 0).
struct MeasuredSource {
    ProjectionRecord prm{};
    bool detected = false;
};
[[nodiscard]] MeasuredSource measuredSource();
// SrcPrm's circle is still the one the last automatic reset set, within
// 0.005 px; otherwise the user fitted it by hand.
[[nodiscard]] bool srcCircleIsReset();
// The last automatic reset found no image circle with confidence, so the
// source circle it set is a default one.
[[nodiscard]] bool srcCircleNotFound();

} // namespace karwen
