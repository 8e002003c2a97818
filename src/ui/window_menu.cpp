#include "window_menu.h"

#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

namespace karwen::ui {

WindowMenu::WindowMenu(QMenu* menu, QMdiArea* area)
    : QObject(menu)
    , menu_(menu)
    , area_(area)
    , list_(new QActionGroup(this))
{
    list_->setExclusive(true);
    connect(menu_, &QMenu::aboutToShow, this, &WindowMenu::rebuild);
    rebuild();
}

void WindowMenu::rebuild()
{
    menu_->clear();
    QAction* tile = menu_->addAction(QStringLiteral("Tile(&T)"));
    tile->setObjectName(QStringLiteral("mnuWindowTile"));
    connect(tile, &QAction::triggered, area_, &QMdiArea::tileSubWindows);
    QAction* cascade = menu_->addAction(QStringLiteral("Cascade(&C)"));
    cascade->setObjectName(QStringLiteral("mnuWindowCascade"));
    connect(cascade, &QAction::triggered, area_, &QMdiArea::cascadeSubWindows);

    // Hidden tool windows come back from the View menu, not from here.
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* sub : area_->subWindowList())
        if (!sub->isHidden())
            open.append(sub);
    tile->setEnabled(!open.isEmpty());
    cascade->setEnabled(!open.isEmpty());
    if (open.isEmpty())
        return;
    menu_->addSeparator();
    for (int n = 0; n < open.size(); ++n) {
        QMdiSubWindow* sub = open[n];
        const QString key = n < 9 ? QStringLiteral("(&%1)").arg(n + 1) : QString();
        QAction* choice = menu_->addAction(sub->windowTitle() + key);
        choice->setObjectName(QStringLiteral("mnuWindowList%1").arg(n));
        choice->setCheckable(true);
        choice->setChecked(sub == area_->activeSubWindow());
        list_->addAction(choice);
        connect(choice, &QAction::triggered, area_, [this, window = QPointer<QMdiSubWindow>(sub)] {
            if (window)
                area_->setActiveSubWindow(window);
        });
    }
}

} // namespace karwen::ui
