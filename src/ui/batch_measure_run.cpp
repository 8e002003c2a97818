#include "batch_measure_run.h"

#include "measure_command.h"

#include <utility>

namespace karwen::ui {

bool BatchMeasureRun::start(cli::MeasureOptions options, AskGate gate)
{
    return launch([this, options = std::move(options), gate = std::move(gate)] {
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
        return [this, exitCode, summary] { emit finished(exitCode, summary); };
    });
}

} // namespace karwen::ui
