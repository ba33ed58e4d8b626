#include "inventory/inventory_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace cpe::inventory {
namespace {

std::string SystemError(std::string_view what, const std::filesystem::path& path, int error) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

// Refuses what is not ours to trust: a link, something of another user, the wrong kind of entry.
bool CheckOwnEntry(const std::filesystem::path& path, const struct stat& info, bool folder, std::string& error) {
    if (S_ISLNK(info.st_mode)) {
        error = path.string() + " is a symbolic link";
        return false;
    }
    if (folder ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode)) {
        error = path.string() + (folder ? " is not a folder" : " is not a regular file");
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        error = path.string() + " belongs to another user";
        return false;
    }
    return true;
}

bool CloseTo(const std::filesystem::path& path, const struct stat& info, mode_t mode, std::string& error) {
    if ((info.st_mode & 07777) == mode)
        return true;
    if (::chmod(path.c_str(), mode) != 0) {
        error = SystemError("cannot restrict", path, errno);
        return false;
    }
    return true;
}

// Makes the missing folders on the way to `folder`, each 0700 as the data folder's rules ask;
// folders that exist are left as they are.
bool MakeMissingParents(const std::filesystem::path& folder, std::string& error) {
    const std::filesystem::path parent = folder.parent_path();
    if (parent.empty() || parent == folder)
        return true;
    struct stat info {};
    if (::stat(parent.c_str(), &info) == 0)
        return true;
    if (!MakeMissingParents(parent, error))
        return false;
    if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) {
        error = SystemError("cannot create", parent, errno);
        return false;
    }
    return true;
}

}  // namespace

std::filesystem::path DefaultInventoryFile() {
    std::filesystem::path base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        base = data;
    else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        base = std::filesystem::path(home) / ".local" / "share";
    else
        return {};
    return base / kInventoryFolderName / kInventoryFileName;
}

bool PreparePrivateFolder(const std::filesystem::path& folder, std::string& error) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            error = SystemError("cannot examine", folder, errno);
            return false;
        }
        if (!MakeMissingParents(folder, error))
            return false;
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            error = SystemError("cannot create", folder, errno);
            return false;
        }
        if (::lstat(folder.c_str(), &info) != 0) {
            error = SystemError("cannot examine", folder, errno);
            return false;
        }
    }
    return CheckOwnEntry(folder, info, true, error) && CloseTo(folder, info, 0700, error);
}

bool PreparePrivateFile(const std::filesystem::path& file, std::string& error) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = errno == ELOOP ? file.string() + " is a symbolic link" : SystemError("cannot open", file, errno);
        return false;
    }
    struct stat info {};
    const bool examined = ::fstat(fd, &info) == 0;
    const int statError = errno;
    bool ok = false;
    if (!examined) {
        error = SystemError("cannot examine", file, statError);
    } else if (CheckOwnEntry(file, info, false, error)) {
        ok = (info.st_mode & 07777) == 0600 || ::fchmod(fd, 0600) == 0;
        if (!ok)
            error = SystemError("cannot restrict", file, errno);
    }
    ::close(fd);
    return ok;
}

std::filesystem::path MoveAside(const std::filesystem::path& file, std::string_view why, std::time_t now) {
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::filesystem::path aside = file;
    aside += "." + std::string(why) + "-" + stamp;
    for (int n = 2; std::filesystem::exists(aside) && n < 100; ++n) {
        aside = file;
        aside += "." + std::string(why) + "-" + stamp + "-" + std::to_string(n);
    }
    std::error_code ec;
    std::filesystem::rename(file, aside, ec);
    if (ec)
        return {};
    for (const char* companion : {"-wal", "-shm"}) {
        std::filesystem::path from = file;
        from += companion;
        std::filesystem::path to = aside;
        to += companion;
        std::filesystem::rename(from, to, ec);  // absent companions are usual
    }
    return aside;
}

}  // namespace cpe::inventory
