// Where the fleet inventory lives and how its file is kept private: one SQLite file per user under
// the user's data folder, the folder 0700 and the file 0600 (it holds the devices' keys), and a
// file that cannot be used is moved aside under a dated name rather than deleted.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace cpe::inventory {

inline constexpr std::string_view kInventoryFolderName = "cpe-manager";
inline constexpr std::string_view kInventoryFileName = "inventory.sqlite";

// "$XDG_DATA_HOME/cpe-manager/inventory.sqlite" when XDG_DATA_HOME is an absolute path, else
// "$HOME/.local/share/cpe-manager/inventory.sqlite"; empty when neither names a folder.
std::filesystem::path DefaultInventoryFile();

// Makes `folder` (and missing parents) with mode 0700 and makes sure it is the user's alone: a
// link, a folder of another user or a file in its place is refused; an existing folder of ours
// that others may enter is closed to 0700. False with the reason in `error`.
bool PreparePrivateFolder(const std::filesystem::path& folder, std::string& error);
// Creates `file` with mode 0600 when missing, so the database is never made with the umask's
// mode, and closes an existing one of ours to 0600; a link or another user's file is refused.
bool PreparePrivateFile(const std::filesystem::path& file, std::string& error);

// Moves `file` and its journal companions ("-wal", "-shm") aside as "<file>.<why>-YYYYMMDD-HHMMSS"
// (local time of `now`). The new path of the file, or empty when it could not be moved.
std::filesystem::path MoveAside(const std::filesystem::path& file, std::string_view why, std::time_t now);

}  // namespace cpe::inventory
