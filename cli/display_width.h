// How much room UTF-8 text takes on a terminal, and text made safe to print there. Device names
// and SSIDs come from the devices: a control character among them must not move the cursor or
// start an escape sequence on the operator's terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cpe::cli {

// Columns a character takes: 2 for East Asian wide and fullwidth characters (CJK ideographs,
// kana, Hangul, fullwidth forms, most emoji), 0 for combining marks and zero-width characters,
// else 1.
int CharWidth(char32_t cp);

// Columns the text takes once made printable.
std::size_t DisplayWidth(std::string_view utf8);

// The text with every control character (C0, DEL, C1) shown as U+FFFD and every ill-formed byte
// sequence replaced by U+FFFD.
std::string PrintableText(std::string_view utf8);

}  // namespace cpe::cli
