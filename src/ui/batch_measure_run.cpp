#include "batch_measure_run.h"

#include "measure_command.h"

#include <QMetaObject>

#include <utility>

namespace karwen::ui {

BatchMeasureRun::BatchMeasureRun(QObject* parent)
    : QObject(parent)
{
}

BatchMeasureRun::~BatchMeasureRun()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void BatchMeasureRun::post(std::function<void()> fn)
{
    // Calls still queued when this object goes are dropped with it.
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

bool BatchMeasureRun::start(cli::MeasureOptions options, AskGate gate)
{
    if (running_)
        return false;
    if (thread_.joinable())
        thread_.join();
    stop_ = false;
    running_ = true;
    thread_ = std::thread([this, options = std::move(options), gate = std::move(gate)] {
        int ask = 0;
        cli::RunHooks hooks;
        hooks.stop = [this, &ask, &gate] {
            const std::lock_guard lock(asking_);
            if (gate)
                gate(ask);
            ++ask;
            return stop_.load();
        };
        QString summary;
        hooks.progress = cli::ProgressSink{
            [this](int done, int total) { post([this, done, total] { emit filesDone(done, total); }); },
            [this](const std::string& line) { post([this, line = QString::fromStdString(line)] { emit told(line); }); },
            [&summary](const std::string& text) { summary = QString::fromStdString(text); }};
        const int exitCode = cli::runMeasure(options, hooks);
        post([this, exitCode, summary] {
            thread_.join();
            running_ = false;
            emit finished(exitCode, summary);
        });
    });
    return true;
}

} // namespace karwen::ui
