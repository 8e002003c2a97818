#include "thread_pool.h"

#include <algorithm>
#include <atomic>

namespace rix {

namespace {

thread_local int tlsCallThreads = 0;

} // namespace

void setCallThreads(int threads) { tlsCallThreads = std::max(threads, 0); }

int callThreads() { return tlsCallThreads; }

// One run() call. It lives on the caller's stack: the caller takes it off
// jobs_ once every task is claimed and waits until no helper is left in it.
struct ThreadPool::Job {
    Job(void* f, Trampoline c, int taskCount, int wanted)
        : fn(f)
        , call(c)
        , tasks(taskCount)
        , helpersWanted(wanted)
    {
    }

    void* const fn;
    const Trampoline call;
    const int tasks;
    const int helpersWanted;
    std::atomic<int> next{0};
    int helpers = 0; // joined so far; under mutex_
    int working = 0; // helpers still running tasks; under mutex_
    std::condition_variable finished;

    void drain()
    {
        for (int j = next.fetch_add(1, std::memory_order_relaxed); j < tasks;
             j = next.fetch_add(1, std::memory_order_relaxed))
            call(fn, j);
    }
};

ThreadPool& ThreadPool::instance()
{
    static ThreadPool pool(int(std::max(1u, std::thread::hardware_concurrency())));
    return pool;
}

ThreadPool::ThreadPool(int threads) { start(threads); }

ThreadPool::~ThreadPool() { stop(); }

void ThreadPool::setThreadCount(int threads)
{
    std::unique_lock resizeLock(resize_);
    stop();
    start(threads);
}

void ThreadPool::start(int threads)
{
    quit_ = false;
    const int workers = std::clamp(threads, 1, 256) - 1;
    workers_.reserve(std::size_t(workers));
    for (int i = 0; i < workers; ++i)
        workers_.emplace_back([this] { workerLoop(); });
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

ThreadPool::Job* ThreadPool::jobWantingHelp() const
{
    for (Job* job : jobs_) {
        if (job->helpers < job->helpersWanted && job->next.load(std::memory_order_relaxed) < job->tasks)
            return job;
    }
    return nullptr;
}

void ThreadPool::runTasks(int tasks, int threads, void* fn, Trampoline call)
{
    if (tasks <= 0)
        return;
    std::shared_lock resizeLock(resize_);
    const int all = threadCount();
    const int allowed = threads <= 0 ? all : std::min(threads, all);
    const int helpers = std::min(allowed, tasks) - 1;
    if (helpers <= 0) {
        for (int j = 0; j < tasks; ++j)
            call(fn, j);
        return;
    }
    Job job{fn, call, tasks, helpers};
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(&job);
    }
    if (helpers + 1 >= all)
        wake_.notify_all();
    else
        for (int i = 0; i < helpers; ++i)
            wake_.notify_one();
    job.drain();
    std::unique_lock lock(mutex_);
    jobs_.erase(std::find(jobs_.begin(), jobs_.end(), &job));
    job.finished.wait(lock, [&] { return job.working == 0; });
}

void ThreadPool::workerLoop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        Job* job = nullptr;
        wake_.wait(lock, [&] { return quit_ || (job = jobWantingHelp()) != nullptr; });
        if (quit_)
            return;
        ++job->helpers;
        ++job->working;
        lock.unlock();
        job->drain();
        lock.lock();
        // Still under the lock: the caller cannot leave run() before it.
        if (--job->working == 0)
            job->finished.notify_one();
    }
}

} // namespace rix
