// Code-set conversion over iconv. The "ANSI code set" is the code set of texts held in device
// records and the local files: the process locale's code set (UTF-8 on a usual desktop, GBK for
// zh_CN.GBK). Tests pin it with SetAnsiCodeset to exercise real conversions.
#pragma once

#include <string>
#include <string_view>

namespace cpe::platform {

// The code set the environment's locale asks for (LC_ALL, LC_CTYPE, LANG), read afresh; a
// locale that is not installed still gives the code set its name carries ("zh_CN.GBK" -> "GBK").
std::string LocaleCodeset();

// The code set name used for ANSI texts, as iconv knows it ("UTF-8", "GBK", "CP936", ...):
// the pinned one, else LocaleCodeset() as it was at first use.
std::string AnsiCodeset();
// Replaces the ANSI code set for the whole process (start-up and tests); empty restores the
// locale's own.
void SetAnsiCodeset(std::string_view codeset);

// Converts between any two code sets. Invalid or unmappable input makes the call fail and
// leaves `out` empty.
bool ConvertCodeset(std::string_view fromCodeset, std::string_view toCodeset, std::string_view in, std::string& out);

std::u16string Utf8ToUtf16(std::string_view utf8);   // invalid sequences become U+FFFD
std::string Utf16ToUtf8(std::u16string_view utf16);  // unpaired surrogates become U+FFFD
std::u16string AnsiToWide(std::string_view ansi);    // failure -> empty
std::string WideToAnsi(std::u16string_view wide);    // failure -> empty

// ANSI text to UTF-8 for reading files: bytes that cannot be decoded become U+FFFD and the rest
// is kept, so one bad byte does not hide a whole line.
std::string AnsiToUtf8Lossy(std::string_view ansi);

}  // namespace cpe::platform
