// The shared state and its start-up values.
#include "mdl_karwen.h"

namespace karwen {

// The globals start zeroed; initGlobals gives them their start-up values.
int32_t hSrc = 0;
int32_t hDst = 0;
int32_t Interp = 0;
int32_t SrcW = 0, SrcH = 0;
int32_t DstW = 0, DstH = 0;
RixRect SrcBound{};
AutomaticCircle SrcAuto{};
ProjectionRecord SrcPrm{};
std::optional<NamedLens> SrcLens;
bool SrcLensKept = false;
ProjectionRecord DstPrm{};
float RefX = 0, RefY = 0;
std::string SrcFile, DstFile, AreaFile;
std::string SrcDamage;
bool AreaOn = false;
bool GridOn = false;
int16_t GridR = 0, GridTheta = 0;
int16_t AreaFileTag = 0;

void initGlobals()
{
    // Start from the zeroed state, so that a second call (tests) gives the
    // same result as the first one at start-up.
    SrcW = SrcH = 0;
    SrcBound = {};
    SrcAuto = {};
    SrcPrm = {};
    SrcLens.reset();
    SrcLensKept = false;
    DstPrm = {};
    RefX = RefY = 0.0f;

    SrcFile.clear();
    SrcDamage.clear();
    DstFile.clear();
    AreaFile.clear();

    Interp = 0;
    AreaOn = false;
    GridOn = true;
    AreaFileTag = 0;

    initProjectionNames();
    initCoefTables();
    initGridTables(); // derived from CoefB, so after the coefficients

    DstW = 512;
    DstH = 512;
    GridR = 3;
    GridTheta = 3;
    DstPrm.Cx = 256.0;
    DstPrm.Cy = 256.0;
    hSrc = 0;
    hDst = 0;
    DstPrm.R = 256.0;

    // The area tables (sample dots, classes, colours) belong to the area
    // library above this one: KarwenApp::Main fills them with InitAreaTables
    // right after this.
}

} // namespace karwen
