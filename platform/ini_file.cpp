#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <optional>

#include "platform/ini_document.h"
#include "platform/unicode_text.h"

namespace cpe::platform {

namespace {

// Serialises read-modify-write cycles of this process so that two threads writing the same
// file do not lose each other's keys.
std::mutex g_writeMutex;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

enum class ReadResult { kOk, kMissing, kFailed };

ReadResult ReadWholeFile(const std::filesystem::path& file, std::string& bytes) {
    bytes.clear();
    // Non-blocking so that a FIFO in place of the file cannot hang the caller.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return ReadResult::kFailed;
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ReadResult::kFailed;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return ReadResult::kOk;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

struct FileOwner {
    mode_t mode;
    uid_t uid;
    gid_t gid;
};

// Writes through a temporary file in the same folder and renames it over the target, so a
// reader (or a crash) never sees half a file; the target keeps its permission bits and, where
// we may, its owner. A folder we cannot create files in gets the file rewritten in place.
bool ReplaceFile(const std::filesystem::path& file, std::string_view bytes, const std::optional<FileOwner>& owner) {
    std::string temp = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        if (!owner || (errno != EACCES && errno != EPERM && errno != EROFS))
            return false;
        FileDescriptor inPlace(::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
        return inPlace.get() >= 0 && WriteAll(inPlace.get(), bytes) && ::close(inPlace.release()) == 0;
    }
    if (owner) {
        // Without the privilege to give it back, the file becomes ours with its old permissions.
        [[maybe_unused]] const int kept = ::fchown(fd.get(), owner->uid, owner->gid);
    }
    const bool ok = ::fchmod(fd.get(), owner ? owner->mode : 0644) == 0 && WriteAll(fd.get(), bytes) &&
                    ::close(fd.release()) == 0 && ::rename(temp.c_str(), file.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

// Characters that would change the structure of the file if written into a section name, a
// key or a value.
bool BreaksLine(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos || text.find('\0') != std::string_view::npos;
}

std::string DefaultValue(std::string_view defaultValue, std::size_t bufferChars) {
    // The profile API strips trailing blanks from the default and cuts it like a value.
    std::string_view value = defaultValue;
    while (!value.empty() && IsBlank(value.back()))
        value.remove_suffix(1);
    return std::string(CutToUtf16Units(value, bufferChars - 1));
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t bufferChars, const std::filesystem::path& file) {
    if (bufferChars == 0)
        return {};
    std::string bytes;
    if (ReadWholeFile(file, bytes) != ReadResult::kOk)
        return DefaultValue(defaultValue, bufferChars);
    const IniDocument doc = IniDocument::Parse(bytes);
    const auto value = doc.Find(section, key);
    if (!value)
        return DefaultValue(defaultValue, bufferChars);
    return ProfileValue(*value, bufferChars);
}

std::vector<std::pair<std::string, std::string>> ReadProfileSection(std::string_view section, std::size_t bufferChars,
                                                                    const std::filesystem::path& file) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::string bytes;
    if (ReadWholeFile(file, bytes) != ReadResult::kOk)
        return entries;
    IniDocument::Parse(bytes).ForEachEntry(section, [&](std::string_view key, std::string_view value) {
        entries.emplace_back(std::string(key), ProfileValue(value, bufferChars));
    });
    return entries;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::filesystem::path& file) {
    const std::string_view sectionName = TrimBlanks(section);
    const std::string_view keyName = TrimBlanks(key);
    if (sectionName.empty() || keyName.empty() || BreaksLine(section) || BreaksLine(key) || BreaksLine(value) ||
        sectionName.find(']') != std::string_view::npos || keyName.find('=') != std::string_view::npos ||
        keyName.front() == ';' || keyName.front() == '[') {
        return false;
    }

    std::error_code ec;
    std::filesystem::path target = file;
    if (std::filesystem::is_symlink(file, ec)) {
        target = std::filesystem::canonical(file, ec);
        if (ec)
            return false;
    }

    std::lock_guard lock(g_writeMutex);
    std::string bytes;
    std::optional<FileOwner> owner;
    IniDocument doc;
    switch (ReadWholeFile(target, bytes)) {
    case ReadResult::kOk: {
        struct stat st {};
        if (::stat(target.c_str(), &st) != 0)
            return false;
        owner = FileOwner{static_cast<mode_t>(st.st_mode & 07777), st.st_uid, st.st_gid};
        doc = IniDocument::Parse(bytes);
        break;
    }
    case ReadResult::kMissing: break;
    case ReadResult::kFailed: return false;
    }
    if (!doc.Set(sectionName, keyName, value))
        return false;
    return ReplaceFile(target, doc.Serialize(), owner);
}

}  // namespace cpe::platform
