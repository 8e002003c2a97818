// A persistent pool of worker threads for the library's row-parallel work.
//
// run(tasks, fn) calls fn(j) once for every j in 0..tasks-1, spread over the
// workers and the calling thread, and returns when all calls have finished.
// Tasks are claimed one at a time, so a slow core does not hold the others
// up; callers make each task's result independent of which thread runs it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace rix {

class ThreadPool {
public:
    // The library's pool, with one thread per core (the caller included).
    [[nodiscard]] static ThreadPool& instance();

    explicit ThreadPool(int threads);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    [[nodiscard]] int threadCount() const { return int(workers_.size()) + 1; }
    // Replaces the workers; for tests and benchmarks. Not while run() is busy.
    void setThreadCount(int threads);

    template <class Fn>
    void run(int tasks, Fn&& fn)
    {
        runTasks(tasks, &fn, [](void* f, int j) { (*static_cast<Fn*>(f))(j); });
    }

private:
    using Trampoline = void (*)(void*, int);
    void runTasks(int tasks, void* fn, Trampoline call);
    // seen: the job generation the worker has already taken part in.
    void workerLoop(uint64_t seen);
    void drain();
    void start(int threads);
    void stop();

    std::mutex runMutex_; // one run() at a time
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::thread> workers_;
    uint64_t generation_ = 0;
    bool quit_ = false;
    int busy_ = 0; // workers inside the current job

    void* fn_ = nullptr;
    Trampoline call_ = nullptr;
    int tasks_ = 0;
    std::atomic<int> next_{0};
};

} // namespace rix
