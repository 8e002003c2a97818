// The compact font of the two tool windows (parameters and area panel), so
// that both fit one above the other in the frame's first client area.
#pragma once

#include <QFont>

namespace karwen::ui {

inline QFont toolWindowFont(QFont base)
{
    base.setPixelSize(11);
    return base;
}

} // namespace karwen::ui
