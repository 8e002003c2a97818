// A batch run on a thread of its own, watched from the window's thread.
// The run works on its own copies of the job and the settings and touches
// nothing of the windows; what it reports arrives on the window's thread,
// queued (threaded_run.h).
#pragma once

#include "batch_run.h"
#include "threaded_run.h"

#include <QString>

#include <functional>

namespace karwen::ui {

class BatchDialogRun : public ThreadedRun {
    Q_OBJECT
public:
    explicit BatchDialogRun(QObject* parent = nullptr)
        : ThreadedRun(parent)
    {
    }
    // Stops a run still going and waits for the file in hand.
    ~BatchDialogRun() override { stopAndWait(); }

    // Called on the run's thread before each listed file, with its index
    // from 0; lets a caller hold the run while it acts on the windows.
    using FileGate = std::function<void(int index)>;

    // Starts a run; false when one is going already.
    bool start(BatchJob job, BatchSettings settings, FileGate gate = {});

signals:
    void starting(const QString& text);
    void fileFinished(int done, int count, int skipped);
    void finished(const karwen::BatchOutcome& outcome);
};

} // namespace karwen::ui
