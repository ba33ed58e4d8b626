#include "cli/upgrade_request.h"

#include <unistd.h>

#include <charconv>
#include <climits>
#include <filesystem>

#include "engine/payload_blocks.h"
#include "protocol/codes.h"

namespace cpe::cli {

// The request carries the file name whole, with its terminating zero: no file name is too long.
static_assert(kUpgradeBlockSize > NAME_MAX);

std::optional<int> ParseModel(const std::string& text) {
    int code = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (error != std::errc() || end != text.data() + text.size())
        code = ModelCode(text);
    // Unknown names and codes both come back as the first model's: only a round trip tells.
    if (ModelName(code) == text || (ModelCode(ModelName(code)) == code && std::to_string(code) == text))
        return code;
    return std::nullopt;
}

std::variant<UpgradeRequest, std::string> CheckUpgradeRequest(const Invocation& run) {
    namespace fs = std::filesystem;
    UpgradeRequest request;
    const auto model = ParseModel(run.model);
    if (!model)
        return "unknown model \"" + run.model + "\"";
    request.model = *model;

    std::error_code error;
    const fs::path file = fs::absolute(run.file, error);
    if (error || !fs::is_regular_file(file, error) || ::access(file.c_str(), R_OK) != 0)
        return "cannot read the firmware file \"" + run.file + "\"";
    request.fileName = file.filename().string();
    request.folder = file.parent_path().string();
    return request;
}

}  // namespace cpe::cli
