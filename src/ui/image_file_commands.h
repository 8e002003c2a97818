// "Open(&O)..." and "Save(&S)...": moving images between files and the
// imaging library. The format follows the last three characters of the
// chosen name alone, in any case.
#pragma once

#include "file_messages.h"

#include <QString>

#include <cstdint>

namespace karwen::ui {

class WindowRegistry;
class MainWindow;

class ImageFileCommands {
public:
    ImageFileCommands(WindowRegistry& windows, MainWindow& main);

    void mnuFileOpen_Click();
    void mnuFileSave_Click();

    enum class Format { Other, Bmp, Jpg };
    // By the upper-cased last three characters of the name.
    [[nodiscard]] static Format formatOf(const QString& path);

private:
    // The handle of the image read, or 0/-1 when it cannot be read.
    [[nodiscard]] static int32_t loadImage(const QString& path);
    // Writes hDst in the format the name asks for; false when nothing was written.
    [[nodiscard]] static bool saveImage(const QString& path);
    // The message for the load or save of path that just failed.
    [[nodiscard]] static QString lastFailure(FileAction action, const QString& path);

    WindowRegistry& windows_;
    MainWindow& main_;
};

} // namespace karwen::ui
