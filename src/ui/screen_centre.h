// Centres a top-level window on its screen, as the modal dialogs do on load:
// half the room left over, the remainder dropped.
#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace karwen::ui {

inline void centreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

} // namespace karwen::ui
