// What the batch dialog's runs share: a run on a thread of its own, one at
// a time, asked to stop through a flag, whose reports arrive on the window's
// thread, queued, so that the windows stay responsive while it runs.
#pragma once

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <functional>
#include <thread>
#include <utility>

namespace karwen::ui {

class ThreadedRun : public QObject {
public:
    explicit ThreadedRun(QObject* parent)
        : QObject(parent)
    {
    }
    ~ThreadedRun() override { stopAndWait(); }
    ThreadedRun(const ThreadedRun&) = delete;
    ThreadedRun& operator=(const ThreadedRun&) = delete;

    // What is in hand is finished, nothing further is taken.
    void stop() { stop_ = true; }
    // From start until the run's closing call has been made.
    [[nodiscard]] bool isRunning() const { return running_; }

protected:
    // Starts body on a thread of its own; false when a run is going already.
    // body returns the call that closes the run, made on the window's thread
    // once the thread has ended.
    template <class Body> bool launch(Body body)
    {
        if (running_)
            return false;
        if (thread_.joinable())
            thread_.join();
        stop_ = false;
        running_ = true;
        thread_ = std::thread([this, body = std::move(body)]() mutable {
            post([this, close = body()] {
                thread_.join();
                running_ = false;
                close();
            });
        });
        return true;
    }

    // Runs fn on the window's thread, after what is queued there already.
    // Calls still queued when this object goes are dropped with it.
    void post(std::function<void()> fn) { QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection); }

    // For the destructor of a run's class, before its own members go: the
    // thread may still be using them.
    void stopAndWait()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    std::atomic<bool> stop_{false};

private:
    std::thread thread_;
    bool running_ = false;
};

} // namespace karwen::ui
