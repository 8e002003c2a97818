#include "recent_files.h"

#include "dialog_seam.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace karwen::ui {

namespace {
const QString kKey = QStringLiteral("recentFiles");
} // namespace

RecentFiles::RecentFiles(QMenu* menu, QWidget* messageParent, std::function<void(const QString&)> open)
    : QObject(menu)
    , menu_(menu)
    , messageParent_(messageParent)
    , open_(std::move(open))
{
    rebuild();
}

QStringList RecentFiles::files() const { return QSettings().value(kKey).toStringList().mid(0, kMaxFiles); }

void RecentFiles::add(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    QStringList list = files();
    list.removeAll(full);
    list.prepend(full);
    store(list.mid(0, kMaxFiles));
}

void RecentFiles::store(const QStringList& list)
{
    QSettings settings;
    settings.setValue(kKey, list);
    settings.sync();
    rebuild();
}

void RecentFiles::rebuild()
{
    // The list changes while one of its own actions is being triggered:
    // the old actions leave the menu now and are deleted once that is over.
    for (QAction* old : menu_->actions()) {
        menu_->removeAction(old);
        old->deleteLater();
    }
    const QStringList list = files();
    for (int i = 0; i < list.size(); ++i) {
        const QString& path = list.at(i);
        // "&1 sky.jpg", the full path as the tip and the status text.
        QAction* action = menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        action->setToolTip(path);
        action->setStatusTip(path);
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { choose(path); });
    }
    menu_->menuAction()->setEnabled(!list.isEmpty());
}

void RecentFiles::choose(QString path)
{
    if (!QFileInfo::exists(path)) {
        QStringList list = files();
        list.removeAll(path);
        store(list);
        dialogs().message(messageParent_,
            QStringLiteral("\"%1\" no longer exists; it was taken off the recent files.").arg(path),
            QMessageBox::Warning);
        return;
    }
    open_(path);
}

} // namespace karwen::ui
