// The clock of a firmware upgrade. The four timer periods and the file-server waits live here so
// that tests can run an upgrade on a shorter clock; the tick counts are fixed.
#pragma once

#include <chrono>

namespace cpe::actions {

struct UpgradeTimings {
    std::chrono::milliseconds transferPeriod{1000};       // transfer progress
    std::chrono::milliseconds flashPeriod{1000};          // flashing progress
    std::chrono::milliseconds followUpPeriod{1000};       // batch follow-up
    std::chrono::milliseconds statusPeriod{1000};         // status display
    std::chrono::milliseconds fileServerFirstWait{3000};  // before the first look for the file server
    std::chrono::milliseconds fileServerRetryWait{1000};  // after each look that missed it
    int fileServerChecks = 3;
};

inline constexpr int kUpgradeBatchSize = 10;        // devices fetching the image at once
inline constexpr int kBatchLimitTicks = 120;        // follow-up ticks before a batch is given up
inline constexpr int kTransferTicksPerBatch = 120;  // transfer phase length per batch of 10
inline constexpr int kFlashTicks = 130;             // flashing phase length

}  // namespace cpe::actions
