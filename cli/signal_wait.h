// cpe-cli's clock, ended by SIGINT, SIGTERM and SIGHUP. Built before any thread starts, it blocks
// those signals, so every thread started later inherits the block and the signals wait for Sleep
// to take them: a run interrupted from the terminal or by a scheduler still stops its sender and
// its helpers and deletes its store, instead of being killed half-way. SIGPIPE is ignored: a
// closed output makes the writes fail instead.
#pragma once

#include <signal.h>

#include <chrono>

namespace cpe::cli {

class SignalWait {
public:
    SignalWait();
    ~SignalWait();
    SignalWait(const SignalWait&) = delete;
    SignalWait& operator=(const SignalWait&) = delete;

    // Waits for `period`; false as soon as one of the signals arrives, and from then on at once.
    bool Sleep(std::chrono::milliseconds period);
    // The signal that arrived, 0 while none did.
    int Signal() const { return signal_; }

private:
    sigset_t blocked_;
    sigset_t previousMask_;
    struct sigaction previousPipe_;
    int signal_ = 0;
};

}  // namespace cpe::cli
