// Restarting or resetting many devices in one action: the selection taken from the checked rows of
// a list, the sender thread that delivers the command (access points that carry bridged stations
// first, the rest 200 ms later), and the status follow-up that tells which row shows which status
// while the devices restart. Whoever presents the action owns the timers and calls here.
//
// At most one sender runs at a time. A new send, and the end of this object, stop a sender still
// running cooperatively and join it: the sender may be inside the store, holding its lock, so it
// is never cut short from outside.
#pragma once

#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "actions/common/wait_job.h"
#include "protocol/codes.h"
#include "protocol/packet.h"

namespace cpe {
class CNetManagement;
class CSqlManagement;
}  // namespace cpe

namespace cpe::actions {

// What tells the two actions apart.
struct RebootRestoreKind {
    MessageType command;
    const char* confirmKey;  // translation key of the confirmation
    int reportedStatus;      // the status code the device reports once it took the command
    // The wait popup's title, line and early-close keys (WaitJob).
    std::string_view waitTitleKey;
    std::string_view waitLineKey;
    std::string_view waitEarlyCloseKey;
};

inline constexpr RebootRestoreKind kRebootKind{MessageType::reboot,
                                               "Are you sure you want to restart?",
                                               kStatusRestarting,
                                               "Rebooting",
                                               "Rebooting %s; about %d s left",
                                               "The reboot was sent to %s, which may still be restarting."};
inline constexpr RebootRestoreKind kRestoreKind{MessageType::restore,
                                                "Are you sure you want to reset?",
                                                kStatusReseting,
                                                "Restoring factory settings",
                                                "Restoring the factory settings of %s; about %d s left",
                                                "The factory restore was sent to %s, which may still be restarting."};
inline constexpr const char* kSelectDevicesKey = "Please select the devices!";

// The clock of the action; tests run it faster.
struct RebootRestoreTimings {
    int waitSeconds = 60;                     // the wait popup
    std::chrono::milliseconds waitTick{500};  // one step of the popup's bar
    std::chrono::milliseconds followUpPeriod{1000};
    std::chrono::milliseconds refreshDelay{1000};  // from the popup's end to the one-shot refresh
};

// A row of the list as the action reads it; texts in the local ANSI code set.
struct ListedRow {
    bool checked = false;
    std::string ip;
    std::string mac;
    std::string typeText;  // model name
};

struct SelectedDevice {
    std::string ip;
    std::string mac;
    int model = 1;
};

// Where the follow-up writes: the index of a row (into the row list it was given) and the status
// code to show there.
struct RowStatus {
    std::size_t row;
    int status;
};

// The checked rows, top to bottom.
std::vector<SelectedDevice> SelectCheckedRows(std::span<const ListedRow> rows);

class RebootRestoreAction {
public:
    RebootRestoreAction(const RebootRestoreKind& kind, CNetManagement& engine, CSqlManagement& store);
    ~RebootRestoreAction() { StopSender(); }
    RebootRestoreAction(const RebootRestoreAction&) = delete;
    RebootRestoreAction& operator=(const RebootRestoreAction&) = delete;

    const RebootRestoreKind& Kind() const { return kind_; }

    void SetSelection(std::vector<SelectedDevice> selection) { selection_ = std::move(selection); }
    const std::vector<SelectedDevice>& Selection() const { return selection_; }
    // What the wait after sending to the selection says.
    WaitJob Wait() const;

    // Sends the command to a copy of the selection on a new thread, after stopping the one before.
    void StartSender();
    void StopSender();

    // One step of the follow-up: for each selected device, the first of `rowMacs` that shows it,
    // with the status the store holds for it now. Devices no longer listed are left out.
    std::vector<RowStatus> FollowUp(std::span<const std::string> rowMacs) const;

private:
    const RebootRestoreKind kind_;
    CNetManagement& engine_;
    CSqlManagement& store_;
    std::vector<SelectedDevice> selection_;
    std::jthread sender_;
};

}  // namespace cpe::actions
