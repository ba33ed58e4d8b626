#include "service/served_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace cpe::service {

std::string RefusalOfName(std::string_view name) {
    if (name.empty())
        return "empty file name";
    if (name == "." || name == "..")
        return "not a file name";
    if (name.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos)
        return "file name with a folder part";
    return {};
}

std::variant<ServedFolder, std::string> ServedFolder::Open(const std::filesystem::path& folder) {
    ServedFolder served;
    served.path_ = folder;
    served.dir_.Reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!served.dir_.Valid())
        return "cannot open folder " + folder.string() + ": " + std::strerror(errno);
    return served;
}

std::variant<ServedFile, OpenFailure> ServedFolder::OpenFile(std::string_view name) const {
    if (const std::string why = RefusalOfName(name); !why.empty())
        return OpenFailure{Refusal::kForbidden, why};
    const std::string file(name);
    // O_NOFOLLOW: a link is never followed out of the folder; O_NONBLOCK: a pipe cannot stall us.
    platform::UniqueFd fd(
        ::openat(dir_.Get(), file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.Valid()) {
        const int err = errno;
        if (err == ENOENT)
            return OpenFailure{Refusal::kNotFound, "file not found"};
        if (err == ELOOP)
            return OpenFailure{Refusal::kForbidden, "symbolic link"};
        if (err == EACCES || err == EPERM)
            return OpenFailure{Refusal::kForbidden, std::strerror(err)};
        return OpenFailure{Refusal::kFailed, std::strerror(err)};
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return OpenFailure{Refusal::kFailed, std::strerror(errno)};
    if (!S_ISREG(st.st_mode))
        return OpenFailure{Refusal::kForbidden, "not a regular file"};
    return ServedFile{std::move(fd), static_cast<std::uint64_t>(st.st_size)};
}

}  // namespace cpe::service
