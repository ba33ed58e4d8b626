// What the upgrade page and dialog tell the operator. Each text is the English key of the
// language files; the windows show its translation, with any "%d" and "%s" filled in order.
#pragma once

namespace cpe::upgrade_message {

inline constexpr const char* kSelectDevices = "Please select the devices!";
inline constexpr const char* kSelectFile = "Please select the upgrade file!";
inline constexpr const char* kConfirm = "Are you sure you want to upgrade?";
inline constexpr const char* kTransferProgress = "Upgrade file transfer progress";
inline constexpr const char* kFlashProgress = "Firmware upgrading progress";

// Why no request was sent: nothing would serve the file.
inline constexpr const char* kNoLocalAddress =
    "No address of this computer is in the subnet of the devices, so the file cannot be served to them!";
inline constexpr const char* kTftpFailed = "The TFTP server %s could not start on %s: %s";
inline constexpr const char* kFileServerFailed = "The file server %s could not start: %s";
// Closing the dialog before every device of the chosen model was sent its request.
inline constexpr const char* kUnsentOnClose =
    "Devices not yet sent the upgrade: %d. If you close now, they will not be upgraded. Close anyway?";

}  // namespace cpe::upgrade_message
