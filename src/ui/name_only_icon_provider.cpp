#include "name_only_icon_provider.h"

#include <QApplication>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStyle>

namespace karwen::ui {

NameOnlyIconProvider::NameOnlyIconProvider() { setOptions(DontUseCustomDirectoryIcons); }

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    QStyle* style = QApplication::style();
    if (info.isSymLink())
        return style->standardIcon(info.isDir() ? QStyle::SP_DirLinkIcon : QStyle::SP_FileLinkIcon);
    if (info.isDir())
        return style->standardIcon(QStyle::SP_DirIcon);
    return style->standardIcon(QStyle::SP_FileIcon);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (info.isDir())
        return QStringLiteral("Folder");
    // MatchExtension: the name decides; the file is never opened.
    static const QMimeDatabase mimeTypes;
    return mimeTypes.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment();
}

} // namespace karwen::ui
