#include "view_mapping.h"

namespace karwen {

PlanePoint imageToView(const ViewMapping& m, PlanePoint image)
{
    const double s = m.scale;
    return {(image.x - m.x0) * s, (m.y0 - image.y) * s + m.pictureH};
}

PlanePoint viewToImage(const ViewMapping& m, PlanePoint view)
{
    const double s = m.scale;
    return {view.x / s + m.x0, m.y0 - (view.y - m.pictureH) / s};
}

} // namespace karwen
