#include "platform/system_info.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace cpe::platform {

namespace {

std::string ReadProgramDir() {
    std::vector<char> buffer(512);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return "./";
        if (static_cast<std::size_t>(n) < buffer.size()) {
            std::string path(buffer.data(), static_cast<std::size_t>(n));
            const std::size_t slash = path.rfind('/');
            return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string WithTrailingSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/')
        dir.push_back('/');
    return dir;
}

// A folder only the user can change: a real folder (not a link), owned by the user, that neither
// the group nor others can write to.
bool IsPrivateFolder(const std::string& dir) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string LockFileName(std::string_view name) {
    std::string file(name);
    for (char& c : file) {
        if (c == '/' || c == '\0')
            c = '_';
    }
    return file + ".lock";
}

}  // namespace

const std::string& GetProgramDir() {
    static const std::string dir = ReadProgramDir();
    return dir;
}

std::string VersionText() {
#ifdef CPE_VERSION_TEXT
    return std::string("V") + CPE_VERSION_TEXT;
#else
    return "V";
#endif
}

std::string RuntimeDir() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    std::string dir;
    if (xdg != nullptr && xdg[0] == '/') {
        dir = xdg;
    } else {
        // In a folder everyone can write to, another user may have made this name first: mkdir
        // then fails and the check below refuses what is there.
        dir = "/tmp/cpe-manager-" + std::to_string(::getuid());
        ::mkdir(dir.c_str(), 0700);
    }
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();  // lstat must see a link as a link
    return IsPrivateFolder(dir) ? WithTrailingSlash(dir) : std::string();
}

std::string UserConfigDir() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return WithTrailingSlash(config) + "cpe-manager/";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return WithTrailingSlash(home) + ".config/cpe-manager/";
    return {};
}

std::string_view InstalledProgramDir() {
#ifdef CPE_INSTALLED_PROGRAM_DIR
    return CPE_INSTALLED_PROGRAM_DIR;
#else
    return {};
#endif
}

bool MayWriteInProgramFolder(std::string_view folder, std::string_view installedDir) {
    if (folder.empty())
        return false;
    if (!installedDir.empty()) {
        const std::string inside = WithTrailingSlash(std::string(folder));
        if (inside.starts_with(WithTrailingSlash(std::string(installedDir))))
            return false;
    }
    return ::access(std::string(folder).c_str(), W_OK | X_OK) == 0;
}

SingleInstance::SingleInstance(std::string_view name) {
    const std::string dir = RuntimeDir();
    if (dir.empty())
        return;
    const std::string path = dir + LockFileName(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        fd_ = fd;
        return;
    }
    heldElsewhere_ = errno == EWOULDBLOCK;
    ::close(fd);
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0)
        ::close(fd_);  // closing the last descriptor releases the lock
}

}  // namespace cpe::platform
