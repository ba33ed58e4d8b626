#include "actions/common/entry_text.h"

#include "lang/operate_character.h"
#include "platform/codepage.h"
#include "platform/unicode_text.h"

namespace cpe::actions {

std::int64_t ReadDecimal(std::string_view text) {
    constexpr std::int64_t kCap = std::numeric_limits<std::uint32_t>::max();
    std::size_t pos = 0;
    while (pos < text.size() && platform::IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    std::int64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = std::min(value * 10 + (text[pos] - '0'), kCap);
    return negative ? -value : value;
}

std::optional<std::string> EntryToAnsi(std::string_view entry) {
    std::string ansi;
    if (entry.empty())
        return ansi;
    if (!platform::ConvertCodeset("UTF-8", platform::AnsiCodeset(), entry, ansi))
        return std::nullopt;
    return ansi;
}

std::string AnsiToEntry(std::string_view ansi) { return platform::AnsiToUtf8Lossy(ansi); }

std::size_t DeviceTextBytes(std::string_view ansi) { return COperateCharacter::ToDeviceText(ansi).size(); }

std::size_t CharacterCount(std::string_view entry) { return platform::Utf8ToUtf16(entry).size(); }

int CountCjkIn(std::string_view entry) { return COperateCharacter::CountCjk(platform::Utf8ToUtf16(entry)); }

bool IsPrintableAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

}  // namespace cpe::actions
