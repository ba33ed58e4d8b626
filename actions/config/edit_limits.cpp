#include "actions/config/edit_limits.h"

#include <algorithm>

#include "actions/common/entry_text.h"
#include "actions/config/check_failure.h"

namespace cpe::actions {

std::size_t MeasureEntry(std::string_view entry, LimitUnit unit) {
    switch (unit) {
    case LimitUnit::kDeviceBytes:
        // A character the code set lacks is refused at Save; until then its UTF-8 bytes count.
        if (const std::optional<std::string> ansi = EntryToAnsi(entry))
            return std::max(DeviceTextBytes(*ansi), ansi->size());
        return entry.size();
    case LimitUnit::kCharacters: return CharacterCount(entry);
    case LimitUnit::kDigits: break;
    }
    return entry.size();
}

LimitState LimitStateOf(std::string_view entry, const EntryLimit& limit) {
    const std::size_t size = MeasureEntry(entry, limit.unit);
    if (size < limit.max)
        return LimitState::kWithin;
    return size == limit.max ? LimitState::kReached : LimitState::kBeyond;
}

std::string LimitHint(const EntryLimit& limit) {
    std::string_view key = "%d digits at most";
    if (limit.unit == LimitUnit::kDeviceBytes)
        key = "%d bytes at most";
    else if (limit.unit == LimitUnit::kCharacters)
        key = "%d characters at most";
    return TranslateWithNumbers(key, {static_cast<int>(limit.max)});
}

}  // namespace cpe::actions
