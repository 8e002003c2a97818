#include "image_file_commands.h"

#include "area_panel.h"
#include "area_routines.h"
#include "dialog_seam.h"
#include "dst_view.h"
#include "format_window.h"
#include "image_files.h"
#include "main_window.h"
#include "mdl_karwen.h"
#include "photo_source.h"
#include "window_registry.h"

#include <QDir>
#include <QFileInfo>

namespace karwen::ui {

ImageFileCommands::ImageFileCommands(WindowRegistry& windows, MainWindow& main)
    : windows_(windows)
    , main_(main)
{
}

void ImageFileCommands::mnuFileOpen_Click()
{
    CommonDialog& cdl = main_.cdl();
    cdl.Filter = QStringLiteral("画像ファイル (*.bmp;*.jpg;*.jpeg;*.jpe)|*.bmp;*.jpg;*.jpeg;*.jpe");
    cdl.FilterIndex = 1;
    cdl.Flags = CommonDialog::kFileMustExist | CommonDialog::kHideReadOnly;
    if (!cdl.ShowOpen())
        return; // cancelled: the open image stays
    if (!openPhoto(cdl.FileName))
        cdl.forgetChoice();
}

bool ImageFileCommands::openPhoto(const QString& path)
{
    if (!mayDiscardArea(&main_))
        return false;
    // The file is read before the open image is closed, so that a file that
    // cannot be read leaves the user's image and unsaved result as they were.
    std::string damage;
    const int32_t loaded = loadImageFileKeepingDamage(path.toStdString(), damage);
    if (!isImage(loaded)) {
        dialogs().message(&main_, lastFailure(FileAction::Open, path), QMessageBox::Warning);
        return false;
    }
    SrcFile = path.toStdString();
    close_image();
    hSrc = loaded;
    SrcDamage = damage;
    const int32_t width = RixWidth(hSrc);
    const int32_t height = RixHeight(hSrc);
    if (width != SrcW || height != SrcH) {
        SrcW = width;
        SrcH = height;
        reset_src_param(true);
    }
    windows_.showSrc();
    hDst = RixCreate(DstW, DstH);
    convert();
    DstFile.clear();
    windows_.showDst();
    main_.updateCommandStates();
    main_.photoOpened(path);
    if (!damage.empty())
        dialogs().message(&main_, QString::fromStdString(damagedFileMessage(SrcFile, damage)), QMessageBox::Warning);
    return true;
}

QString proposedResultName(const QString& photo)
{
    const QFileInfo info(photo);
    const bool bmp = imageFormatOf(photo.toStdString()) == ImageFormat::Bmp;
    return info.dir().filePath(
        info.completeBaseName() + QStringLiteral("-kw") + (bmp ? QStringLiteral(".bmp") : QStringLiteral(".jpg")));
}

bool isSameFile(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

void ImageFileCommands::mnuFileSave_Click()
{
    CommonDialog& cdl = main_.cdl();
    // A result not saved yet is offered beside the photo under a name of
    // its own, so that Enter never writes over the photo.
    cdl.FileName
        = DstFile.empty() ? proposedResultName(QString::fromStdString(SrcFile)) : QString::fromStdString(DstFile);
    const bool bmp = imageFormatOf(cdl.FileName.toStdString()) == ImageFormat::Bmp;
    cdl.DefaultExt = bmp ? QStringLiteral(".bmp") : QStringLiteral(".jpg");
    cdl.Filter = QStringLiteral("*.bmp|*.bmp|*.jpg|*.jpg");
    cdl.FilterIndex = bmp ? 1 : 2;
    cdl.Flags = CommonDialog::kOverwritePrompt;
    if (!cdl.ShowSave())
        return;
    if (isSameFile(cdl.FileName, QString::fromStdString(SrcFile))
        && !dialogs().question(&main_,
            QStringLiteral("%1\n\nThis is the photo you opened; replace it with the result?")
                .arg(QDir::toNativeSeparators(cdl.FileName)))) {
        cdl.forgetChoice();
        return;
    }
    // A result that was not written keeps the name it had, so the caption
    // never claims a file that does not exist.
    if (!saveImageFile(hDst, cdl.FileName.toStdString())) {
        dialogs().message(&main_, lastFailure(FileAction::Save, cdl.FileName), QMessageBox::Warning);
        cdl.forgetChoice();
        return;
    }
    DstFile = cdl.FileName.toStdString();
    if (views::DstView* dst = windows_.dstIfLoaded())
        dst->setWindowTitle(cdl.FileName + QStringLiteral(" - Destination"));
}

QString ImageFileCommands::lastFailure(FileAction action, const QString& path)
{
    const std::string name = path.toStdString();
    return QString::fromStdString(fileProblemMessage(action, fileProblem(action, name, RixLastError())));
}

} // namespace karwen::ui
