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

// What the save dialog offers for the result of photo before it was saved:
// "<photo name>-kw" beside the photo, .bmp for a BMP photo, else .jpg.
[[nodiscard]] QString proposedResultName(const QString& photo);
// True when both names lead to one existing file (links and "." followed).
[[nodiscard]] bool isSameFile(const QString& a, const QString& b);

class ImageFileCommands {
public:
    ImageFileCommands(WindowRegistry& windows, MainWindow& main);

    void mnuFileOpen_Click();
    // Opens path as the open dialog's choice is opened: the painted dots
    // are asked about first, a file that cannot be read is reported and
    // leaves the open photo as it was. True when the photo is open.
    bool openPhoto(const QString& path);
    void mnuFileSave_Click();

private:
    // The message for the load or save of path that just failed.
    [[nodiscard]] static QString lastFailure(FileAction action, const QString& path);

    WindowRegistry& windows_;
    MainWindow& main_;
};

} // namespace karwen::ui
