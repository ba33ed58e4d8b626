#include "cli/signal_wait.h"

#include <cerrno>
#include <ctime>

namespace cpe::cli {

SignalWait::SignalWait() {
    sigemptyset(&blocked_);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&blocked_, s);
    pthread_sigmask(SIG_BLOCK, &blocked_, &previousMask_);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previousPipe_);
}

SignalWait::~SignalWait() {
    sigaction(SIGPIPE, &previousPipe_, nullptr);
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

bool SignalWait::Sleep(std::chrono::milliseconds period) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + period;
    while (signal_ == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return true;
        const timespec timeout{static_cast<time_t>(left.count() / 1000000000),
                               static_cast<long>(left.count() % 1000000000)};
        const int taken = sigtimedwait(&blocked_, nullptr, &timeout);
        if (taken > 0)
            signal_ = taken;
        else if (errno != EAGAIN && errno != EINTR)
            return true;
    }
    return false;
}

}  // namespace cpe::cli
