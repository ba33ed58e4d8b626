// A mutex that hands itself to its waiters in the order they came. A thread that unlocks and at
// once locks again (a worker storing datagram after datagram under a flood) cannot then keep
// another thread (the user-interface thread reading a page) waiting for as long as it goes on:
// a waiter waits only for the holders that came before it. Meets the Lockable requirements of
// std::lock_guard and std::unique_lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace cpe::platform {

class FairMutex {
public:
    void lock() {
        std::unique_lock guard(mutex_);
        const std::uint64_t ticket = next_++;
        turn_.wait(guard, [&] { return serving_ == ticket; });
    }
    bool try_lock() {
        std::lock_guard guard(mutex_);
        if (serving_ != next_)
            return false;
        ++next_;
        return true;
    }
    void unlock() {
        {
            std::lock_guard guard(mutex_);
            ++serving_;
        }
        turn_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable turn_;
    std::uint64_t next_ = 0;     // the ticket the next caller of lock() takes
    std::uint64_t serving_ = 0;  // the ticket that holds the lock or takes it next
};

}  // namespace cpe::platform
