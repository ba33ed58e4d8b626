#include "actions/config/timed_reboot_form_model.h"

#include <cstring>

#include "actions/common/entry_text.h"
#include "actions/config/config_messages.h"

namespace cpe::actions {
namespace {

constexpr std::uint8_t kAllDays = 0xFE;
constexpr std::int64_t kMinutesPerHour = 60;
constexpr std::int64_t kLastHour = 23;
constexpr std::int64_t kLastMinute = 59;

std::uint8_t DayBit(int day) { return static_cast<std::uint8_t>(0x02u << day); }
bool IsDay(int day) { return day >= 0 && day < TimedRebootFormModel::kDays; }

}  // namespace

TimedRebootFormModel::TimedRebootFormModel(const ap_info_stu& device)
    : device_(MakeRestartBlock(device)),
      enabled_(device.restart_en != 0),
      everyday_((device.restart_type & kAllDays) == kAllDays),
      days_(device.restart_type & kAllDays),
      initialEnabled_(enabled_),
      initialDays_(days_),
      initial_{std::to_string(device.restart_time.get() / kMinutesPerHour),
               std::to_string(device.restart_time.get() % kMinutesPerHour)} {}

void TimedRebootFormModel::SetEveryday(bool everyday) {
    everyday_ = everyday;
    days_ = everyday ? kAllDays : 0;
}

bool TimedRebootFormModel::WeekdayChecked(int day) const { return IsDay(day) && (days_ & DayBit(day)) != 0; }

void TimedRebootFormModel::SetWeekday(int day, bool checked) {
    if (!IsDay(day) || !WeekdaysEnabled())
        return;
    days_ = checked ? static_cast<std::uint8_t>(days_ | DayBit(day)) : static_cast<std::uint8_t>(days_ & ~DayBit(day));
}

Collected<RestartBlock> TimedRebootFormModel::Collect(const TimedRebootEntries& entries) const {
    Collected<RestartBlock> out;
    if (enabled_ == initialEnabled_ && days_ == initialDays_ && entries == initial_) {
        out.block = device_;
        return out;
    }
    ap_info_stu record;
    std::memset(&record, 0, sizeof record);
    if (enabled_) {
        const std::int64_t hour = ReadDecimal(entries.hour);
        const std::int64_t minute = ReadDecimal(entries.minute);
        if (hour < 0 || hour > kLastHour) {
            out.failure = CheckFailure{message::kHourRange, ConfigField::kHour, {}};
            return out;
        }
        if (minute < 0 || minute > kLastMinute) {
            out.failure = CheckFailure{message::kMinuteRange, ConfigField::kMinute, {}};
            return out;
        }
        record.restart_en = 1;
        record.restart_type = days_;
        record.restart_time.set(static_cast<std::uint16_t>(hour * kMinutesPerHour + minute));
    }
    out.block = MakeRestartBlock(record);
    out.changed = out.block != device_;
    return out;
}

}  // namespace cpe::actions
