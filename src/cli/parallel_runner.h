// Files of a list taken in parallel: `jobs` workers take the next file in
// turn, each with a worker object of its own (and so images of its own),
// each letting the resampler use cores / jobs threads. A stop asked for
// ends the run once the files in hand are done, so the files taken are
// always the first ones of the list.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace karwen::cli {

class FileWorker {
public:
    virtual ~FileWorker() = default;
    // Does file i of the list.
    virtual void take(std::size_t i) = 0;
    // After the worker's last file.
    virtual void finish() { }
};

// stop() is asked before each file is taken; makeWorker is called once per
// worker, on the worker's own thread.
void runWorkers(std::size_t files, int jobs, int cpus, const std::function<bool()>& stop,
    const std::function<std::unique_ptr<FileWorker>()>& makeWorker);

// The CPUs this process may run on (its affinity mask), at least 1.
[[nodiscard]] int availableCpus();

} // namespace karwen::cli
