// The fixture of the end-to-end tests: a simulated network on the device side of the lab and
// the utility's engine and store on this side.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/lab_support.h"

namespace cpe::lab {

class LabTest : public ::testing::Test {
protected:
    void SetUp() override {
        lab_ = CurrentLab();
        if (!lab_)
            GTEST_SKIP() << "not inside the network lab; ctest runs this through tools/netlab.sh run";
    }

    // Starts the simulator with the lab's subnets and the utility, then searches like the status
    // page (every 3 s) until `expected` devices are in the store.
    void StartAndDiscover(std::vector<std::string> simOptions, std::size_t expected) {
        sim_ = std::make_unique<SimProcess>(*lab_, std::move(simOptions));
        ASSERT_TRUE(sim_->Ready()) << "cpe-sim did not start";
        utility_ = std::make_unique<Utility>();
        ASSERT_TRUE(utility_->Started()) << "the engine could not bind its ports";
        const auto found = WaitUntil(
            [&] {
                const auto now = std::chrono::steady_clock::now();
                if (now >= nextSearch_) {
                    utility_->Engine().Search();
                    nextSearch_ = now + std::chrono::seconds(3);
                }
                return utility_->RowCount() >= expected;
            },
            std::chrono::seconds(20));
        ASSERT_TRUE(found) << "only " << utility_->RowCount() << " of " << expected << " devices identified";
    }

    // The simulated devices, in index order.
    std::vector<sim::JsonValue> Devices() const {
        std::vector<sim::JsonValue> out;
        const auto dump = sim_->Dump();
        for (std::size_t i = 0; i < dump["devices"].Size(); ++i)
            out.push_back(dump["devices"][i]);
        return out;
    }

    int Status(const std::string& mac) {
        const auto row = utility_->Row(mac);
        return row ? row->ap_status.get() : -1;
    }

    std::optional<LabEnv> lab_;
    std::unique_ptr<SimProcess> sim_;
    std::unique_ptr<Utility> utility_;
    std::chrono::steady_clock::time_point nextSearch_{};
};

}  // namespace cpe::lab
