#include "batch_dialog_run.h"

#include <QMetaObject>

#include <utility>

namespace karwen::ui {

BatchDialogRun::BatchDialogRun(QObject* parent)
    : QObject(parent)
{
}

BatchDialogRun::~BatchDialogRun()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void BatchDialogRun::post(std::function<void()> fn)
{
    // Calls still queued when this object goes are dropped with it.
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

bool BatchDialogRun::start(BatchJob job, BatchSettings settings, FileGate gate)
{
    if (running_)
        return false;
    if (thread_.joinable())
        thread_.join();
    stop_ = false;
    running_ = true;
    thread_ = std::thread([this, job = std::move(job), settings, gate = std::move(gate)] {
        int index = 0;
        BatchWatch watch;
        watch.starting = [&](const std::string& text) {
            if (gate)
                gate(index);
            ++index;
            post([this, text = QString::fromStdString(text)] { emit starting(text); });
        };
        watch.finished = [this](int done, int count, int skipped) {
            post([this, done, count, skipped] { emit fileFinished(done, count, skipped); });
        };
        watch.stop = &stop_;
        BatchOutcome outcome = runBatch(job, settings, watch);
        post([this, outcome = std::move(outcome)] {
            thread_.join();
            running_ = false;
            emit finished(outcome);
        });
    });
    return true;
}

void BatchDialogRun::stop() { stop_ = true; }

} // namespace karwen::ui
