// The one folder a helper serves. Only a regular file directly inside it can be opened: a name
// with a separator, "." or "..", a symbolic link, a device, a pipe or a subfolder is refused, and
// the lookup never leaves the folder whatever the name holds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>

#include "platform/unique_fd.h"

namespace cpe::service {

struct ServedFile {
    platform::UniqueFd fd;
    std::uint64_t size = 0;
};

enum class Refusal { kNotFound, kForbidden, kFailed };

struct OpenFailure {
    Refusal kind;
    std::string reason;
};

// Why `name` may not be served whatever the folder holds; empty when it may be looked up.
std::string RefusalOfName(std::string_view name);

class ServedFolder {
public:
    // The folder, or why it cannot be served.
    static std::variant<ServedFolder, std::string> Open(const std::filesystem::path& folder);

    std::variant<ServedFile, OpenFailure> OpenFile(std::string_view name) const;
    const std::filesystem::path& Path() const { return path_; }

private:
    platform::UniqueFd dir_;
    std::filesystem::path path_;
};

}  // namespace cpe::service
