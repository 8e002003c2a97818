// The program's colour values as Qt colours: 0x00BBGGRR with red in the
// lowest byte, or a system colour (0x80000000 + its index), of which the
// windows use only the button face.
#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>

namespace karwen::views {

[[nodiscard]] inline QColor colourOf(uint32_t value, const QPalette& palette = QPalette())
{
    if (value & 0x80000000u)
        return palette.color(QPalette::Button);
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

} // namespace karwen::views
