// What an upgrade needs from its command line, checked before anything starts: a firmware file
// that can be read, and a model the utility knows.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "cli/command_line.h"

namespace cpe::cli {

struct UpgradeRequest {
    std::string fileName;  // without folder, as the devices ask the helper for it
    std::string folder;    // absolute, served by the helper
    int model = 1;
};

// The request, or why the command line cannot be run.
std::variant<UpgradeRequest, std::string> CheckUpgradeRequest(const Invocation& run);

// A model code from its name (exactly as the lists show it in "Type") or its number; nothing
// for a model the utility does not know.
std::optional<int> ParseModel(const std::string& text);

}  // namespace cpe::cli
