#include "lang/operate_character.h"

#include "platform/codepage.h"
#include "platform/ini_file.h"
#include "platform/unicode_text.h"

namespace cpe {

std::string COperateCharacter::AnsiToUtf8(std::string_view ansi) {
    if (platform::IsAscii(ansi))
        return std::string(ansi);
    std::string utf8;
    if (!platform::ConvertCodeset(platform::AnsiCodeset(), "UTF-8", ansi, utf8))
        return std::string(ansi);
    return utf8;
}

std::string COperateCharacter::Utf8ToAnsi(std::string_view utf8) {
    if (platform::IsAscii(utf8))
        return std::string(utf8);
    std::string ansi;
    if (!platform::ConvertCodeset("UTF-8", platform::AnsiCodeset(), utf8, ansi))
        return std::string(utf8);
    return ansi;
}

// Devices cut names at a fixed byte count, so a received text may end inside a character;
// that partial character, and anything after a byte that cannot continue the text, is dropped.
// Complete characters of every length are kept.
bool COperateCharacter::TrimUtf8Tail(std::string_view src, std::string& dst) {
    const std::size_t keep = platform::ValidUtf8PrefixLength(src);
    if (keep == 0)
        return false;
    dst.assign(src.substr(0, keep));
    return true;
}

int COperateCharacter::CountCjk(std::u16string_view wide) { return platform::CountCjkIdeographs(wide); }

std::string COperateCharacter::ToDeviceText(std::string_view ansi) {
    if (CountCjk(platform::AnsiToWide(ansi)) == 0)
        return std::string(ansi);
    return AnsiToUtf8(ansi);
}

std::string COperateCharacter::FromDeviceText(std::string_view received) {
    if (platform::IsAscii(received))
        return std::string(received);
    std::string trimmed;
    if (!TrimUtf8Tail(received, trimmed))
        trimmed.assign(received);
    return Utf8ToAnsi(trimmed);
}

bool COperateFileIni::WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                                     std::string_view file) {
    return platform::WritePrivateProfileString(section, key, value, std::filesystem::path(file));
}

}  // namespace cpe
