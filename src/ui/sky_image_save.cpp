#include "sky_image_save.h"

#include "common_dialog.h"
#include "dialog_seam.h"
#include "file_error.h"
#include "grey_png.h"
#include "image_file_commands.h"
#include "save_file.h"

#include <QDir>
#include <QFileInfo>

#include <new>

namespace karwen::ui {

QString proposedSkyImageName(const QString& photo)
{
    const QFileInfo info(photo);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("-sky.png"));
}

QString saveSkyImage(QWidget* parent, CommonDialog& cdl, const canopy::SkyImage& image, const QString& photo)
{
    cdl.FileName = proposedSkyImageName(photo);
    cdl.DefaultExt = QStringLiteral(".png");
    cdl.Filter = QStringLiteral("PNG (*.png)|*.png");
    cdl.FilterIndex = 1;
    cdl.Flags = CommonDialog::kOverwritePrompt;
    if (!cdl.ShowSave())
        return {};
    const QString name = QFileInfo(cdl.FileName).fileName();
    QString why;
    if (isSameFile(cdl.FileName, photo)) {
        why = QStringLiteral("this is the photo you opened");
    } else {
        try {
            const std::vector<uint8_t> png = files::greyPng(image.grey, image.width, image.height);
            files::saveFile(cdl.FileName.toStdString(), png.data(), png.size());
            return QStringLiteral("Sky image saved as %1.").arg(name);
        } catch (const files::FileError& e) {
            why = QString::fromStdString(e.what());
        } catch (const std::bad_alloc&) {
            why = QStringLiteral("out of memory");
        }
    }
    cdl.forgetChoice();
    dialogs().message(parent,
        QStringLiteral("Cannot save \"%1\": %2.").arg(QDir::toNativeSeparators(cdl.FileName), why),
        QMessageBox::Warning);
    return QStringLiteral("No sky image saved.");
}

} // namespace karwen::ui
