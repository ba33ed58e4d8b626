// The timed-reboot form of the configuration dialog: whether the device restarts by itself, on
// which weekdays and at what time of day.
#pragma once

#include <cstdint>
#include <string>

#include "actions/config/check_failure.h"
#include "engine/payload_blocks.h"

namespace cpe::actions {

struct TimedRebootEntries {
    std::string hour;
    std::string minute;

    bool operator==(const TimedRebootEntries&) const = default;
};

class TimedRebootFormModel {
public:
    static constexpr int kDays = 7;  // Monday (0) .. Sunday (6)

    explicit TimedRebootFormModel(const ap_info_stu& device);

    bool Enabled() const { return enabled_; }
    // The enable box: the time edits and the day boxes follow it.
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool TimeEnabled() const { return enabled_; }

    bool Everyday() const { return everyday_; }
    bool EverydayEnabled() const { return enabled_; }
    // Ticking "Everyday" checks all seven weekdays and locks them; clearing it clears them all.
    void SetEveryday(bool everyday);

    bool WeekdayChecked(int day) const;
    bool WeekdaysEnabled() const { return enabled_ && !everyday_; }
    // Ignored while the weekdays are locked by "Everyday".
    void SetWeekday(int day, bool checked);

    const TimedRebootEntries& InitialEntries() const { return initial_; }

    // The restart block: four zero bytes when disabled, else 1, the weekday bits and the time
    // of day in minutes. An hour above 23 or a minute above 59 is refused. A form the operator
    // left as it was shown keeps the device's block, whatever it holds, and changes nothing.
    Collected<RestartBlock> Collect(const TimedRebootEntries& entries) const;

private:
    RestartBlock device_;
    bool enabled_;
    bool everyday_;
    std::uint8_t days_;  // weekday bits 0x02 (Monday) .. 0x80 (Sunday)
    const bool initialEnabled_;
    const std::uint8_t initialDays_;
    TimedRebootEntries initial_;
};

}  // namespace cpe::actions
