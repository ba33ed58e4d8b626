// A settings backup as a file of its own (cpe-cli's "backup --out", "settings ... --from FILE"):
// a fixed layout sealed with the SHA-256 of its bytes, so that a file that is not one of ours,
// is cut short or was altered is refused before anything is sent.
#pragma once

#include <filesystem>
#include <string>

#include "inventory/settings_backup.h"

namespace cpe::inventory {

// Writes the file with mode 0600 (it holds keys); false with the reason in `error`.
bool WriteBackupFile(const std::filesystem::path& file, const SettingsBackup& backup, std::string& error);

enum class BackupFileError : std::uint8_t { kNone, kCannotRead, kNotOurs, kTruncated, kNewerFormat, kAltered };
// Reads and checks a backup file. A record whose MAC or model differs from the file's own
// heading counts as altered.
BackupFileError ReadBackupFile(const std::filesystem::path& file, SettingsBackup& out);
// One English sentence for the error ("the file is not a settings backup of cpe-manager").
std::string DescribeBackupFileError(BackupFileError error);

}  // namespace cpe::inventory
