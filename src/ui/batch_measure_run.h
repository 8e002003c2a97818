// A measuring run of the batch dialog on a thread of its own: the command
// line's measure (measure_command.h) over the dialog's options, so that the
// window's CSV, error rows and sky images are the command line's. The run
// works on its own copy of the options and touches nothing of the windows;
// its progress arrives on the window's thread, queued.
#pragma once

#include "measure_options.h"
#include "threaded_run.h"

#include <QString>

#include <functional>
#include <mutex>

namespace karwen::ui {

class BatchMeasureRun : public ThreadedRun {
    Q_OBJECT
public:
    explicit BatchMeasureRun(QObject* parent = nullptr)
        : ThreadedRun(parent)
    {
    }
    // Stops a run still going and waits for the photos in hand.
    ~BatchMeasureRun() override { stopAndWait(); }

    // Called on a run's thread each time the run asks whether to stop
    // (before each photo is taken), numbered from 0, one call at a time: a
    // caller can hold the run there while it acts.
    using AskGate = std::function<void(int ask)>;

    // Starts a run; false when one is going already.
    bool start(cli::MeasureOptions options, AskGate gate = {});

signals:
    void filesDone(int done, int total);
    // A failure or a note, as the command line tells it on standard error.
    void told(const QString& line);
    // exitCode: the command line's (run_control.h); summary: its closing
    // line, "" when the run was refused before the first photo.
    void finished(int exitCode, const QString& summary);

private:
    std::mutex asking_; // the workers ask one at a time, so a gate holds them all
};

} // namespace karwen::ui
