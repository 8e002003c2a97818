#include "dialog_seam.h"

#include "name_only_icon_provider.h"

#include <QDir>
#include <QFileDialog>

namespace karwen::ui {

namespace {
DialogSeam qtDialogs;
DialogSeam* current = &qtDialogs;

// One provider for every dialog; it holds no state of its own.
NameOnlyIconProvider& iconProvider()
{
    static NameOnlyIconProvider provider;
    return provider;
}
} // namespace

void setDialogSeam(DialogSeam* seam) { current = seam ? seam : &qtDialogs; }

DialogSeam& dialogs() { return *current; }

void DialogSeam::message(QWidget* parent, const QString& text, QMessageBox::Icon icon)
{
    QMessageBox box(icon, kAppTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

bool DialogSeam::question(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, kAppTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::unique_ptr<QFileDialog> DialogSeam::makeFileDialog(QWidget* parent, const FileDialogRequest& request)
{
    const bool open = request.mode == FileDialogRequest::Mode::Open;
    auto dialog = std::make_unique<QFileDialog>(parent);
    // Qt's own dialog matches the name filters without regard to case, so
    // NAME.JPG and name.Bmp are listed as well; the overwrite question is
    // asked by the caller.
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog->setIconProvider(&iconProvider());
    dialog->setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog->setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
        dialog->selectNameFilter(request.filters.at(request.filterIndex));
    dialog->setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog->selectFile(request.fileName);
    return dialog;
}

std::optional<QString> DialogSeam::fileDialog(QWidget* parent, const FileDialogRequest& request)
{
    const std::unique_ptr<QFileDialog> dialog = makeFileDialog(parent, request);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

std::optional<QString> DialogSeam::folderDialog(QWidget* parent, const QString& title)
{
    const std::unique_ptr<QFileDialog> dialog = makeFolderDialog(parent, title);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog->selectedFiles().constFirst());
}

std::unique_ptr<QFileDialog> DialogSeam::makeFolderDialog(QWidget* parent, const QString& title)
{
    // Qt's own dialog, as for the files, so that it looks the same everywhere.
    auto dialog = std::make_unique<QFileDialog>(parent, title);
    dialog->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setIconProvider(&iconProvider());
    return dialog;
}

} // namespace karwen::ui
