#include "thread_pool.h"

#include <algorithm>

namespace rix {

ThreadPool& ThreadPool::instance()
{
    static ThreadPool pool(int(std::max(1u, std::thread::hardware_concurrency())));
    return pool;
}

ThreadPool::ThreadPool(int threads) { start(threads); }

ThreadPool::~ThreadPool() { stop(); }

void ThreadPool::setThreadCount(int threads)
{
    std::lock_guard runLock(runMutex_);
    stop();
    start(threads);
}

void ThreadPool::start(int threads)
{
    quit_ = false;
    const int workers = std::clamp(threads, 1, 256) - 1;
    workers_.reserve(std::size_t(workers));
    // New workers must wait for the next job: taking the last one, long
    // finished, for new work would count them out of it twice.
    const uint64_t current = generation_;
    for (int i = 0; i < workers; ++i)
        workers_.emplace_back([this, current] { workerLoop(current); });
}

void ThreadPool::stop()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_)
        t.join();
    workers_.clear();
}

void ThreadPool::drain()
{
    for (int j = next_.fetch_add(1, std::memory_order_relaxed); j < tasks_;
         j = next_.fetch_add(1, std::memory_order_relaxed))
        call_(fn_, j);
}

void ThreadPool::runTasks(int tasks, void* fn, Trampoline call)
{
    if (tasks <= 0)
        return;
    std::lock_guard runLock(runMutex_);
    if (workers_.empty() || tasks == 1) {
        for (int j = 0; j < tasks; ++j)
            call(fn, j);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        fn_ = fn;
        call_ = call;
        tasks_ = tasks;
        next_.store(0, std::memory_order_relaxed);
        busy_ = int(workers_.size());
        ++generation_;
    }
    wake_.notify_all();
    drain();
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return busy_ == 0; });
}

void ThreadPool::workerLoop(uint64_t seen)
{
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
            if (quit_)
                return;
            seen = generation_;
        }
        drain();
        {
            std::lock_guard lock(mutex_);
            if (--busy_ == 0)
                done_.notify_one();
        }
    }
}

} // namespace rix
