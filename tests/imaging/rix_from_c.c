/* The library's interface used from C: the header compiles as C, and the
   record and the calls reach the library as they do from C++. */
#include "rix.h"

#include <stddef.h>

int32_t rixFromCRecordSize(void) { return (int32_t)sizeof(ProjectionRecord); }

int32_t rixFromCProjOffset(void) { return (int32_t)offsetof(ProjectionRecord, Proj); }

/* Creates a small image, reads its size back and destroys it: width * 1000
   + height, or 0 when any call failed. */
int32_t rixFromCRoundTrip(int32_t width, int32_t height)
{
    RixRect rect = {0, 0, 0, 0};
    const int32_t image = RixCreate(width, height);
    int32_t result = 0;
    if (image < 1)
        return 0;
    if (RixBound(image, &rect) == 1)
        result = RixWidth(image) * 1000 + RixHeight(image);
    (void)RixDestroy(image);
    return result;
}

/* The projection tests as C sees them: 1 for fisheye, 2 for a possible
   source, 4 for a possible destination, added. */
int32_t rixFromCProjectionKinds(int32_t proj)
{
    return RixIsFisheye(proj) + 2 * RixMayBeSource(proj) + 4 * RixMayBeDestination(proj);
}
