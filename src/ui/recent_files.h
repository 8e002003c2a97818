// File > "Recent Files": the last photos opened, most recent first, kept
// between runs in the user's settings. The submenu is greyed while the list
// is empty; choosing a photo that no longer exists removes it from the list
// and says so.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QMenu;
class QWidget;

namespace karwen::ui {

class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxFiles = 8;

    // open is called with the chosen photo's path.
    RecentFiles(QMenu* menu, QWidget* messageParent, std::function<void(const QString&)> open);

    // Puts path at the top (once) and keeps the newest kMaxFiles.
    void add(const QString& path);
    [[nodiscard]] QStringList files() const;

private:
    void store(const QStringList& files);
    void rebuild();
    // By value: the action that calls it may be taken off the menu meanwhile.
    void choose(QString path);

    QMenu* menu_;
    QWidget* messageParent_;
    std::function<void(const QString&)> open_;
};

} // namespace karwen::ui
