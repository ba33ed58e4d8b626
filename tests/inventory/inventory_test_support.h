// Shared helpers of the inventory tests: an inventory over a scratch file with a clock the test
// moves, and device records from the store tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "inventory/inventory.h"
#include "tests/store/store_test_support.h"

namespace cpe::test {

struct TestClock {
    std::shared_ptr<std::int64_t> now = std::make_shared<std::int64_t>(1'800'000'000);
    std::function<std::int64_t()> Function() const {
        return [now = now] { return *now; };
    }
};

inline inventory::InventoryOptions InventoryAt(const std::filesystem::path& file, const TestClock& clock) {
    inventory::InventoryOptions options;
    options.file = file;
    options.frontEnd = "test";
    options.user = "operator";
    options.codeset = "UTF-8";
    options.clock = clock.Function();
    return options;
}

inline constexpr std::chrono::seconds kWriteWait{10};

}  // namespace cpe::test
