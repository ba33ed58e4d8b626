// Facts about the running program and its system: program folder, version text, the Windows
// locale identifier (LCID) of the environment's locale, and the single-instance lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cpe::platform {

// Folder of the running executable with a trailing '/', cached on first use.
const std::string& GetProgramDir();
// "V" followed by the project version ("V0.20.5.10").
std::string VersionText();

// LCID of a POSIX locale name such as "zh_CN.UTF-8" (2052) or "en_US" (1033); 1033 when unknown.
std::uint16_t LcidFromLocaleName(std::string_view localeName);
// LCID of the environment's locale (LC_ALL, then LC_MESSAGES, then LANG).
std::uint16_t SystemDefaultLcid();

// The single-instance lock of the program. The windowed utility and the command line both hold it
// while they own the protocol ports, so that neither starts beside the other.
inline constexpr const char* kProgramInstanceName = "Orvana_Brimlink";

// Holds a named lock for the life of the object; a second holder of the same name fails.
// A lock left by a crashed process does not block (the kernel drops it with the process).
// Only a lock held by someone else makes IsFirst() false: when the lock file cannot be made at
// all (read-only or foreign runtime folder) the program runs, as it would without the check.
class SingleInstance {
public:
    explicit SingleInstance(std::string_view name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    bool IsFirst() const { return !heldElsewhere_; }
    bool HoldsLock() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
};

// The user's private runtime folder with a trailing '/': XDG_RUNTIME_DIR when it is an absolute
// path, else /tmp/cpe-manager-<uid>, made 0700 when missing. The device store (Wi-Fi keys) and the
// helpers' ini files may live there, so the folder must be the user's alone: empty when it is
// missing, is not a folder (a link to one included), belongs to another user or others can write
// to it. Callers then go without the folder rather than trust it.
std::string RuntimeDir();

// The user's settings folder of the program: "$XDG_CONFIG_HOME/cpe-manager/" when XDG_CONFIG_HOME
// is an absolute path, else "$HOME/.config/cpe-manager/", with a trailing '/'; empty when neither
// is set. Nothing is created.
std::string UserConfigDir();

// The folder `cmake --install` puts the program in ("/usr/lib/cpe-manager/"), with a trailing '/'.
std::string_view InstalledProgramDir();
// Whether the program may keep its files of one run in `folder` (its own folder or one inside it):
// the user can write there and it is not inside `installedDir`, which belongs to the package
// even when root runs the program.
bool MayWriteInProgramFolder(std::string_view folder, std::string_view installedDir = InstalledProgramDir());

}  // namespace cpe::platform
