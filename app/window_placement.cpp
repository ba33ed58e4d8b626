#include "app/window_placement.h"

#include "platform/ini_file.h"
#include "platform/system_info.h"

#include <charconv>
#include <string>
#include <system_error>

namespace cpe {
namespace {

constexpr const char* kSection = "MainWindow";
constexpr std::size_t kValueChars = 32;

// A whole decimal number and nothing else; nothing for garbage, an empty value or an overflow.
std::optional<int> WholeNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::string Read(const std::filesystem::path& file, const char* key) {
    return platform::GetPrivateProfileString(kSection, key, "", kValueChars, file);
}

}  // namespace

std::filesystem::path DefaultWindowPlacementFile() {
    const std::string folder = platform::UserConfigDir();
    if (folder.empty())
        return {};
    return std::filesystem::path(folder) / kWindowPlacementFileName;
}

std::optional<WindowPlacement> LoadWindowPlacement(const std::filesystem::path& file) {
    std::error_code error;
    if (file.empty() || !std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    WindowPlacement placement;
    const std::optional<int> width = WholeNumber(Read(file, "Width"));
    const std::optional<int> height = WholeNumber(Read(file, "Height"));
    if (width && height)
        placement.size = QSize(*width, *height);
    placement.maximized = Read(file, "Maximized") == "1";
    return placement;
}

bool SaveWindowPlacement(const std::filesystem::path& file, const WindowPlacement& placement) {
    if (file.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    return platform::WritePrivateProfileString(kSection, "Width", std::to_string(placement.size.width()), file) &&
           platform::WritePrivateProfileString(kSection, "Height", std::to_string(placement.size.height()), file) &&
           platform::WritePrivateProfileString(kSection, "Maximized", placement.maximized ? "1" : "0", file);
}

WindowPlacement StartPlacement(const std::optional<WindowPlacement>& stored, QSize minimum, QSize available) {
    WindowPlacement start{minimum, stored && stored->maximized};
    if (!stored)
        return start;
    const QSize size = stored->size;
    const bool fits =
        size.width() >= minimum.width() && size.height() >= minimum.height() &&
        (available.isEmpty() || (size.width() <= available.width() && size.height() <= available.height()));
    if (fits)
        start.size = size;
    return start;
}

}  // namespace cpe
