// A persistent pool of worker threads for the library's row-parallel work.
//
// run(tasks, fn) calls fn(j) once for every j in 0..tasks-1, spread over the
// calling thread and some of the workers, and returns when all calls have
// finished. Tasks are claimed one at a time, so a slow core does not hold the
// others up; callers make each task's result independent of which thread
// runs it.
//
// Several threads may call run() at once: each call is a job of its own, and
// an idle worker helps the first job that still wants helpers and has tasks
// left. A call takes at most as many threads (itself included) as its
// calling thread allows (setCallThreads, behind RixSetThreads), so that J
// callers limited to cores / J each keep every core busy without crowding
// one another. A call's own thread always works on its job, so every call
// finishes even when all workers are busy elsewhere.
#pragma once

#include <condition_variable>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

namespace rix {

// How many threads one call of the calling thread may use, itself included;
// 0 (the start value of every thread) means all of the pool's.
void setCallThreads(int threads);
[[nodiscard]] int callThreads();

class ThreadPool {
public:
    // The library's pool, with one thread per core (the caller included).
    [[nodiscard]] static ThreadPool& instance();

    explicit ThreadPool(int threads);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    [[nodiscard]] int threadCount() const { return int(workers_.size()) + 1; }
    // Replaces the workers, for tests and benchmarks; waits until no run()
    // is busy.
    void setThreadCount(int threads);

    // At most callThreads() threads, the caller included.
    template <class Fn> void run(int tasks, Fn&& fn)
    {
        runTasks(tasks, callThreads(), &fn, [](void* f, int j) { (*static_cast<Fn*>(f))(j); });
    }

private:
    using Trampoline = void (*)(void*, int);
    struct Job;
    void runTasks(int tasks, int threads, void* fn, Trampoline call);
    void workerLoop();
    [[nodiscard]] Job* jobWantingHelp() const; // under mutex_
    void start(int threads);
    void stop();

    std::shared_mutex resize_; // run() shares it, setThreadCount() owns it
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::thread> workers_;
    std::vector<Job*> jobs_; // calls still handing out tasks, oldest first
    bool quit_ = false;
};

} // namespace rix
