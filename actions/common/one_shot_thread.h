// A thread for one short job, such as a request sent off the user-interface thread. Starting a new
// job first asks the running one to stop and joins it, so two jobs never overlap; destruction
// does the same. A job ends cooperatively: it checks its stop token, and is never cut off.
#pragma once

#include <functional>
#include <stop_token>
#include <thread>
#include <utility>

namespace cpe::actions {

class OneShotThread {
public:
    OneShotThread() = default;
    ~OneShotThread() { Stop(); }
    OneShotThread(const OneShotThread&) = delete;
    OneShotThread& operator=(const OneShotThread&) = delete;

    void Start(std::function<void(std::stop_token)> job) {
        Stop();
        thread_ = std::jthread(std::move(job));
    }
    void Stop() {
        if (!thread_.joinable())
            return;
        thread_.request_stop();
        thread_.join();
    }

private:
    std::jthread thread_;
};

}  // namespace cpe::actions
