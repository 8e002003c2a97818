#include "batch_dialog_run.h"

#include <utility>

namespace karwen::ui {

bool BatchDialogRun::start(BatchJob job, BatchSettings settings, FileGate gate)
{
    return launch([this, job = std::move(job), settings, gate = std::move(gate)] {
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
        return [this, outcome = std::move(outcome)] { emit finished(outcome); };
    });
}

} // namespace karwen::ui
