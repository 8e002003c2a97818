// A batch run on a thread of its own, watched from the window's thread.
// The run works on its own copies of the job and the settings and touches
// nothing of the windows; what it reports arrives on the window's thread,
// queued, so that the windows stay responsive while it runs.
#pragma once

#include "batch_run.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace karwen::ui {

class BatchDialogRun : public QObject {
    Q_OBJECT
public:
    explicit BatchDialogRun(QObject* parent = nullptr);
    // Stops a run still going and waits for the file in hand.
    ~BatchDialogRun() override;
    BatchDialogRun(const BatchDialogRun&) = delete;
    BatchDialogRun& operator=(const BatchDialogRun&) = delete;

    // Called on the run's thread before each listed file, with its index
    // from 0; lets a caller hold the run while it acts on the windows.
    using FileGate = std::function<void(int index)>;

    // Starts a run; false when one is going already.
    bool start(BatchJob job, BatchSettings settings, FileGate gate = {});
    // The file in hand is finished, no further one is started.
    void stop();
    // From start until `finished` has been emitted.
    [[nodiscard]] bool isRunning() const { return running_; }

signals:
    void starting(const QString& text);
    void fileFinished(int done, int count, int skipped);
    void finished(const karwen::BatchOutcome& outcome);

private:
    // Runs fn on the window's thread, after what is queued there already.
    void post(std::function<void()> fn);

    std::thread thread_;
    std::atomic<bool> stop_{false};
    bool running_ = false;
};

} // namespace karwen::ui
