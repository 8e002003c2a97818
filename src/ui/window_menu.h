// "Window(&W)": tiles or cascades the frame's sub-windows and lists the open
// ones, the active one checked; choosing one activates it.
#pragma once

#include <QObject>

class QActionGroup;
class QMdiArea;
class QMenu;

namespace karwen::ui {

class WindowMenu : public QObject {
    Q_OBJECT
public:
    // The menu is built in `menu` and filled afresh each time it opens.
    WindowMenu(QMenu* menu, QMdiArea* area);

    // Fills the list from the sub-windows open now.
    void rebuild();

private:
    QMenu* menu_;
    QMdiArea* area_;
    QActionGroup* list_;
};

} // namespace karwen::ui
