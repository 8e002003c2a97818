// "Save sky image..." of the Canopy window: the open photo's sky image
// (sky_pixels.h) as the PNG the command line's --save-classified writes
// (grey_png.h), through the main window's save dialog. It proposes the
// photo's name without its last extension, then -sky.png, beside the
// photo; asks before replacing a file; never writes over the photo itself;
// and saves as every file of the window is saved (save_file.h).
#pragma once

#include "sky_pixels.h"

#include <QString>

class QWidget;

namespace karwen::ui {

class CommonDialog;

// What the window's save dialog offers for the sky image of photo.
[[nodiscard]] QString proposedSkyImageName(const QString& photo);

// Asks for the file and saves image there, telling a failure in a message
// box; the note for the window ("Sky image saved as x-sky.png."), "" when
// nothing was saved because the user cancelled.
[[nodiscard]] QString saveSkyImage(
    QWidget* parent, CommonDialog& cdl, const canopy::SkyImage& image, const QString& photo);

} // namespace karwen::ui
