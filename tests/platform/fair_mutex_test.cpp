// The store's lock: exclusive, and handed to waiters in the order they came.
#include "platform/fair_mutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cpe::platform {
namespace {

using namespace std::chrono_literals;

TEST(FairMutex, WaitersTakeItInTheOrderTheyCame) {
    FairMutex lock;
    std::mutex orderLock;
    std::string order;
    lock.lock();
    EXPECT_FALSE(lock.try_lock());
    std::vector<std::thread> waiters;
    for (char name : {'a', 'b', 'c'}) {
        waiters.emplace_back([&, name] {
            std::lock_guard held(lock);
            std::lock_guard guard(orderLock);
            order += name;
        });
        std::this_thread::sleep_for(50ms);  // each one is waiting before the next comes
    }
    lock.unlock();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(order, "abc");
    EXPECT_TRUE(lock.try_lock());
    lock.unlock();
}

TEST(FairMutex, KeepsOneHolderAtATime) {
    FairMutex lock;
    int inside = 0, worst = 0, total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                std::lock_guard held(lock);
                worst = std::max(worst, ++inside);
                ++total;
                --inside;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(worst, 1);
    EXPECT_EQ(total, 8000);
}

}  // namespace
}  // namespace cpe::platform
