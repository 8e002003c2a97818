// The main window's common file dialog (`cdl`): the open and save commands
// set it up before each use, and a setting a command does not make keeps its
// last value, the chosen name included.
#pragma once

#include "dialog_seam.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace karwen::ui {

class CommonDialog {
public:
    // Flag bits as the commands give them.
    static constexpr int kOverwritePrompt = 2;
    static constexpr int kHideReadOnly = 4;
    static constexpr int kFileMustExist = 4096;

    explicit CommonDialog(QWidget* parent)
        : parent_(parent)
    {
    }

    QString FileName;
    // Description and patterns alternate, separated by '|'; patterns of one
    // entry are separated by ';'.
    QString Filter;
    int FilterIndex = 1; // 1-based
    QString DefaultExt;  // with or without the leading dot
    int Flags = 0;

    // False when the user cancelled; FileName then keeps its value.
    [[nodiscard]] bool ShowOpen();
    [[nodiscard]] bool ShowSave();
    // The command could not read or write the chosen file: FileName goes
    // back to the name it held before, so that the next dialog does not
    // start in a folder where nothing worked.
    void forgetChoice() { FileName = beforeChoice_; }

    // "desc|*.a;*.b|..." as Qt name filters "desc (*.a *.b)".
    [[nodiscard]] static QStringList qtFilters(const QString& filter);

private:
    [[nodiscard]] bool show(FileDialogRequest::Mode mode);

    QWidget* parent_;
    QString beforeChoice_;
};

} // namespace karwen::ui
