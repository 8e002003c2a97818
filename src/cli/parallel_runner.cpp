#include "parallel_runner.h"

#include "rix.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace karwen::cli {

void runWorkers(std::size_t files, int jobs, int cpus, const std::function<bool()>& stop,
    const std::function<std::unique_ptr<FileWorker>()>& makeWorker)
{
    const int workers = std::clamp(int(files), 1, std::max(jobs, 1));
    const int threadsEach = std::max(cpus / workers, 1);
    std::atomic<std::size_t> next{0};
    std::vector<std::jthread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&] {
            (void)RixSetThreads(threadsEach);
            const std::unique_ptr<FileWorker> worker = makeWorker();
            for (std::size_t i; !stop() && (i = next.fetch_add(1)) < files;)
                worker->take(i);
            worker->finish();
        });
}

int availableCpus()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(CPU_COUNT(&set), 1);
    return int(std::max(std::thread::hardware_concurrency(), 1u));
}

} // namespace karwen::cli
