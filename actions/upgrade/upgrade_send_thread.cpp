#include "actions/upgrade/upgrade_send_thread.h"

namespace cpe::actions {

void UpgradeSendThread::Start(UpgradeBatch batch, UpgradeSender& sender, std::function<void(std::stop_token)> before,
                              std::function<void()> sent) {
    Stop();
    thread_ = std::jthread(
        [batch = std::move(batch), &sender, before = std::move(before), sent = std::move(sent)](std::stop_token stop) {
            if (before)
                before(stop);
            for (const auto& target : batch) {
                if (stop.stop_requested())
                    return;
                sender.SendUpgrade(target);
            }
            if (!stop.stop_requested() && sent)
                sent();
        });
}

void UpgradeSendThread::Stop() {
    if (!thread_.joinable())
        return;
    thread_.request_stop();
    thread_.join();
}

}  // namespace cpe::actions
