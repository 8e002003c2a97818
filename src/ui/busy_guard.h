// The batch dialog's busy state for the length of a run: the hourglass
// pointer, the Start button disabled, and no user input taken by any window.
// Input that arrives meanwhile is thrown away when the run ends, so that a
// click made during the run cannot start anything afterwards.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace karwen::ui {

class BusyGuard : public QObject {
public:
    explicit BusyGuard(QWidget* startButton);
    ~BusyGuard() override;
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> start_;
    // The modal window of the run; a message box that opens later (while
    // the queued input is thrown away) must still take its clicks.
    QPointer<QWidget> modal_;
};

} // namespace karwen::ui
