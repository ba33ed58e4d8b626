// The thread that sends the first batch of an upgrade, so the user-interface thread does not
// wait through the file server's start. It only sends the batch it is handed; the batch and the
// waiting queue stay with the thread that built them.
#pragma once

#include <functional>
#include <stop_token>
#include <thread>

#include "actions/upgrade/upgrade_plan.h"

namespace cpe::actions {

class UpgradeSendThread {
public:
    UpgradeSendThread() = default;
    ~UpgradeSendThread() { Stop(); }
    UpgradeSendThread(const UpgradeSendThread&) = delete;
    UpgradeSendThread& operator=(const UpgradeSendThread&) = delete;

    // Runs `before` (a wait that must honour the stop token; may be empty), sends `batch`, then
    // calls `sent`, all on the new thread; a stop request ends it between any two of those steps
    // and between two requests. A thread still running is stopped and joined first.
    void Start(UpgradeBatch batch, UpgradeSender& sender, std::function<void(std::stop_token)> before,
               std::function<void()> sent);
    // Asks the thread to end and joins it.
    void Stop();

private:
    std::jthread thread_;
};

}  // namespace cpe::actions
