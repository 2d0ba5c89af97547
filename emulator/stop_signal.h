#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tavimo::emu {

// Lets server threads wait (delays, stalls, bandwidth) while staying ready to end at once.
class StopSignal {
public:
    // False when the wait was cut short by stop().
    bool sleepFor(std::chrono::microseconds duration)
    {
        std::unique_lock lock(mutex_);
        return !condition_.wait_for(lock, duration, [this] { return stopped_; });
    }
    void stop()
    {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        condition_.notify_all();
    }
    void reset()
    {
        std::lock_guard lock(mutex_);
        stopped_ = false;
    }

private:
    std::mutex mutex_;
    std::condition_variable condition_;
    bool stopped_ = false;
};

} // namespace tavimo::emu
