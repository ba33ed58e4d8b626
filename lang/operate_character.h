// Conversions of device texts between the ANSI code set and UTF-8 (names and SSIDs travel as
// UTF-8), and the CJK measures used by the forms. All results are whole strings, so no
// conversion can write past a caller's buffer; record fields cut them with CountedText::assign.
#pragma once

#include <string>
#include <string_view>

namespace cpe {

class COperateCharacter {
public:
    static std::string AnsiToUtf8(std::string_view ansi);  // failure -> source unchanged
    static std::string Utf8ToAnsi(std::string_view utf8);  // failure -> source unchanged
    // Longest prefix of `src` made of complete UTF-8 characters (of any length), ending before a
    // character cut short or a byte that cannot begin one; false, `dst` untouched, when none.
    static bool TrimUtf8Tail(std::string_view src, std::string& dst);
    static int CountCjk(std::u16string_view wide);
    // ANSI text to the device's form: UTF-8 when it holds a CJK ideograph, else unchanged.
    static std::string ToDeviceText(std::string_view ansi);
    // Received device text (UTF-8) to ANSI: unchanged when pure ASCII; otherwise trimmed with
    // TrimUtf8Tail (the whole text when that fails) and converted. Any length is accepted.
    static std::string FromDeviceText(std::string_view received);
};

class COperateFileIni {
public:
    static bool WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                               std::string_view file);
};

}  // namespace cpe
