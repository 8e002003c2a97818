#include "common_dialog.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace karwen::ui {

QStringList CommonDialog::qtFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        const QString patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        // A description that already names its patterns in brackets gets
        // them rewritten with Qt's separator instead of repeated.
        static const QRegularExpression trailing(QStringLiteral("\\s*\\([^()]*\\)$"));
        description.remove(trailing);
        result << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return result;
}

bool CommonDialog::ShowOpen() { return show(FileDialogRequest::Mode::Open); }

bool CommonDialog::ShowSave() { return show(FileDialogRequest::Mode::Save); }

bool CommonDialog::show(FileDialogRequest::Mode mode)
{
    FileDialogRequest request;
    request.mode = mode;
    request.fileName = FileName;
    request.filters = qtFilters(Filter);
    request.filterIndex = FilterIndex - 1;
    request.defaultSuffix = DefaultExt.startsWith(QLatin1Char('.')) ? DefaultExt.mid(1) : DefaultExt;
    const std::optional<QString> chosen = dialogs().fileDialog(parent_, request);
    if (!chosen || chosen->isEmpty())
        return false;
    QString name = *chosen;
    if (mode == FileDialogRequest::Mode::Save && !request.defaultSuffix.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + request.defaultSuffix;
    if (mode == FileDialogRequest::Mode::Open && (Flags & kFileMustExist) && !QFileInfo::exists(name))
        return false;
    if (mode == FileDialogRequest::Mode::Save && (Flags & kOverwritePrompt) && QFileInfo::exists(name)) {
        const QString text
            = QFileInfo(name).fileName() + QStringLiteral(" already exists.\nDo you want to replace it?");
        if (!dialogs().question(parent_, text))
            return false;
    }
    beforeChoice_ = FileName;
    FileName = name;
    return true;
}

} // namespace karwen::ui
