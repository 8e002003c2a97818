#include "view_reference.h"

namespace karwen {

void ref2angle(ProjectionRecord&, float, float) {}
void angle2ref(const ProjectionRecord&, float&, float&) {}

} // namespace karwen
