// Private-profile (ini) files with the rules of the Windows profile API: section and key names
// match without regard to case, a missing file, section or key gives the default, values are
// trimmed of surrounding blanks, one pair of surrounding quotes is removed, and a value is cut to
// the caller's buffer (bufferChars - 1 characters). Files may be UTF-16LE with BOM, UTF-8 with or
// without BOM, or in the ANSI code set; texts cross this interface as UTF-8.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cpe::platform {

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t bufferChars, const std::filesystem::path& file);

// Every entry of the first section `section`, in file order, each value as
// GetPrivateProfileString would give it (duplicates included: the first one is the one a lookup
// finds). Empty when the file or the section is missing.
std::vector<std::pair<std::string, std::string>> ReadProfileSection(std::string_view section, std::size_t bufferChars,
                                                                    const std::filesystem::path& file);

// Creates the file and the section when missing, replaces an existing key in place and keeps
// every other line (and the file's encoding). Returns false when the file cannot be written.
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::filesystem::path& file);

}  // namespace cpe::platform
