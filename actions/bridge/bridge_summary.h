// What the bridge wizard's last step says: before Save, what the bridge request is about to write
// (the access point, its SSID, the channel, the security, the station's new addresses); after
// Save, what the device answered. The answer comes from the status the device's reply leaves in
// the store; the wizard marks the device online as it sends, so an answer to an earlier bridge is
// never taken for this one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "actions/bridge/bridge_wizard.h"

namespace cpe::actions {

struct SummaryRow {
    std::string_view labelKey;
    std::string value;  // UTF-8, translated where it is a word

    bool operator==(const SummaryRow&) const = default;
};
std::vector<SummaryRow> BridgeSummary(const BridgeRequest& request);

enum class BridgeAnswer : std::uint8_t { kWaiting, kSucceeded, kFailed, kNoAnswer };
// `status` is the device's status in the store; `patienceOver` once the wizard waited its time.
BridgeAnswer AnswerOf(int status, bool patienceOver);
// The line the step shows for the answer.
std::string_view AnswerKey(BridgeAnswer answer);

}  // namespace cpe::actions
