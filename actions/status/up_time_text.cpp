#include "actions/status/up_time_text.h"

namespace cpe::actions {

std::string UpTimeText(std::uint32_t seconds) {
    const std::uint32_t days = seconds / 86400;
    const std::string clock = std::to_string((seconds / 3600) % 24) + ":" + std::to_string((seconds / 60) % 60) + ":" +
                              std::to_string(seconds % 60);
    return days == 0 ? clock : std::to_string(days) + " " + clock;
}

}  // namespace cpe::actions
