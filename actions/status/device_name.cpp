#include "actions/status/device_name.h"

#include "platform/codepage.h"
#include "protocol/codes.h"

namespace cpe::actions {

DeviceNameChange PrepareDeviceName(std::u16string_view name) {
    DeviceNameChange change;
    if (!HasNoCjk(name)) {
        change.refused = true;
        return change;
    }
    change.shown = CutToDeviceBytes(name, static_cast<int>(kDeviceNameBytes));
    std::string ansi = AnsiPrefix(change.shown, kDeviceNameBytes);
    if (change.shown.empty() || !ansi.empty())
        change.ansi = std::move(ansi);
    return change;
}

std::string AnsiPrefix(std::u16string_view name, std::size_t maxBytes) {
    std::size_t keep = name.size();
    while (keep > 0) {
        std::string ansi = platform::WideToAnsi(name.substr(0, keep));
        if (ansi.size() <= maxBytes && !ansi.empty())
            return ansi;
        --keep;
        // Never keep half of a surrogate pair.
        if (keep > 0 && name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF)
            --keep;
    }
    return {};
}

}  // namespace cpe::actions
