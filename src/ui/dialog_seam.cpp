#include "dialog_seam.h"

#include "name_only_icon_provider.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QRegularExpression>

#include <algorithm>

namespace karwen::ui {

namespace {
DialogSeam qtDialogs;
DialogSeam* current = &qtDialogs;

// The extension a name filter such as "*.bmp (*.bmp)" gives a file, or ""
// when its first pattern is not "*.ext".
QString filterExtension(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)[ )]"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

// Qt's dialog adds one fixed default suffix to a name typed without an
// extension; here the filter chosen when the name is accepted decides it,
// so that "out" under "*.bmp" is saved as out.bmp.
class FilterSuffixDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QString extension = filterExtension(selectedNameFilter());
        if (!extension.isEmpty())
            setDefaultSuffix(extension);
        QFileDialog::accept();
    }
};

// One provider for every dialog; it holds no state of its own.
NameOnlyIconProvider& iconProvider()
{
    static NameOnlyIconProvider provider;
    return provider;
}
} // namespace

void setDialogSeam(DialogSeam* seam) { current = seam ? seam : &qtDialogs; }

DialogSeam& dialogs() { return *current; }

std::unique_ptr<QMessageBox> DialogSeam::makeMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
    QMessageBox::StandardButtons buttons, const QString& detail)
{
    auto box = std::make_unique<QMessageBox>(icon, kAppTitle, text, buttons, parent);
    // Set before the strut below: the box lays itself out anew for it.
    box->setInformativeText(detail);
    // Qt sizes a short message to its text; the title bar then has no room
    // for the caption beside the window manager's icon and buttons. A strut
    // across the box's grid keeps it that wide.
    const QFontMetrics metrics = box->fontMetrics();
    const int width = std::max(metrics.horizontalAdvance(kAppTitle) + 10 * metrics.height(), 20 * metrics.height());
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
            grid->columnCount());
    return box;
}

void DialogSeam::message(QWidget* parent, const QString& text, QMessageBox::Icon icon)
{
    makeMessageBox(parent, icon, text, QMessageBox::Ok)->exec();
}

void DialogSeam::messageWithDetail(QWidget* parent, const QString& text, const QString& detail, QMessageBox::Icon icon)
{
    makeMessageBox(parent, icon, text, QMessageBox::Ok, detail)->exec();
}

bool DialogSeam::question(QWidget* parent, const QString& text)
{
    const std::unique_ptr<QMessageBox> box
        = makeMessageBox(parent, QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(QMessageBox::No);
    return box->exec() == QMessageBox::Yes;
}

std::unique_ptr<QFileDialog> DialogSeam::makeFileDialog(QWidget* parent, const FileDialogRequest& request)
{
    const bool open = request.mode == FileDialogRequest::Mode::Open;
    std::unique_ptr<QFileDialog> dialog;
    if (open)
        dialog = std::make_unique<QFileDialog>(parent);
    else
        dialog = std::make_unique<FilterSuffixDialog>(parent);
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
