#include "busy_guard.h"

#include <QApplication>
#include <QEvent>

namespace karwen::ui {

BusyGuard::BusyGuard(QWidget* startButton)
    : start_(startButton)
    , modal_(QApplication::activeModalWidget())
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (start_)
        start_->setEnabled(false);
    QCoreApplication::instance()->installEventFilter(this);
}

BusyGuard::~BusyGuard()
{
    // The input queued during the run reaches this filter and ends here.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    if (start_)
        start_->setEnabled(true);
}

bool BusyGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (QApplication::activeModalWidget() != modal_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Close:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace karwen::ui
