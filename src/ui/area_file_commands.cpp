#include "area_file_commands.h"

#include "area_file.h"
#include "area_routines.h"
#include "dialog_seam.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "undoable_step.h"
#include "utf8_path.h"
#include "window_registry.h"

#include <filesystem>

namespace karwen::ui {

namespace {

std::filesystem::path pathOf(const QString& name) { return files::utf8Path(name.toStdString()); }

} // namespace

AreaFileCommands::AreaFileCommands(WindowRegistry& windows, MainWindow& main)
    : windows_(windows)
    , main_(main)
{
}

void AreaFileCommands::error(const char* text)
{
    dialogs().message(&main_, QString::fromLatin1(text), QMessageBox::Critical);
}

void AreaFileCommands::mnuFileLoadArea_Click()
{
    CommonDialog& cdl = main_.cdl();
    cdl.Filter = QStringLiteral("面積計測ファイル (*.area)|*.area");
    cdl.Flags = CommonDialog::kFileMustExist | CommonDialog::kHideReadOnly;
    if (!cdl.ShowOpen())
        return;
    if (!mayDiscardArea(&main_))
        return;
    const UndoableStep step("Load Area Data");
    // The file is read whole before anything changes: a failed load keeps
    // the measurement and the labels as they were.
    if (LoadAreaData(pathOf(cdl.FileName))) {
        AreaFile = cdl.FileName.toStdString();
        windows_.showAreaClassTexts();
    } else {
        cdl.forgetChoice();
        error(kAreaLoadError);
    }
    dst_update();
}

void AreaFileCommands::mnuFileSaveArea_Click()
{
    CommonDialog& cdl = main_.cdl();
    cdl.FileName = QString::fromStdString(proposedAreaFileName(AreaFile, DstFile, SrcFile));
    cdl.DefaultExt = QStringLiteral(".area");
    cdl.Filter = QStringLiteral("面積計量(*.area)|*.area");
    cdl.FilterIndex = 1;
    cdl.Flags = CommonDialog::kOverwritePrompt;
    if (!cdl.ShowSave())
        return;
    if (!SaveAreaData(pathOf(cdl.FileName))) {
        cdl.forgetChoice();
        error(kAreaSaveError);
        return;
    }
    AreaFile = cdl.FileName.toStdString();
}

} // namespace karwen::ui
