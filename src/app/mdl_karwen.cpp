#include "mdl_karwen.h"

namespace karwen {

int32_t hSrc = 0;
int32_t hDst = 0;
int32_t Interp = 0;
int32_t SrcW = 0, SrcH = 0;
int32_t DstW = 0, DstH = 0;
RixRect SrcBound{};
ProjectionRecord SrcPrm{};
ProjectionRecord DstPrm{};
float RefX = 0, RefY = 0;
std::string SrcFile, DstFile, AreaFile;
bool AreaOn = false;
bool GridOn = false;
int16_t GridR = 0, GridTheta = 0;
int16_t AreaFileTag = 0;

void init_globals() {}
void close_image() {}
void convert() {}
void area_update() {}
void dst_update() {}
void dst_reset_sc() {}
void src_update() {}
void ref2angle() {}
void angle2ref() {}
void reset_src_param(bool) {}
std::string get_fname(const std::string& path) { return path; }
std::optional<std::string> cut_ext(const std::string&) { return std::nullopt; }

} // namespace karwen
