// Small UTF-8 / UTF-16 primitives shared by the code-set conversions, the ini reader and the
// device-text helpers. None of them allocate more than their result, and none read past the
// view they are given.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cpe::platform {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Length of the well-formed UTF-8 sequence that starts at `text[pos]` (1 to 4), or 0 when the
// bytes there are not one (bad lead byte, missing or wrong continuation, overlong form,
// surrogate, beyond U+10FFFF, or cut by the end of the text).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos);

// Number of leading bytes of `text` that form complete, well-formed UTF-8 characters, stopping
// at the first byte that does not begin one.
std::size_t ValidUtf8PrefixLength(std::string_view text);
inline bool IsValidUtf8(std::string_view text) { return ValidUtf8PrefixLength(text) == text.size(); }
bool IsAscii(std::string_view text);

// Decodes one character at `pos` and advances `pos`; ill-formed bytes give U+FFFD and advance by
// the maximal ill-formed subpart (at least one byte).
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);
// `utf8` as a JSON string (RFC 8259): quoted, with the short escapes, other controls as \u00XX,
// ill-formed bytes as U+FFFD, so the result is always valid JSON in UTF-8.
void AppendJsonString(std::string& out, std::string_view utf8);
void AppendUtf8(std::string& out, char32_t cp);

// Simple case folding (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic): enough for ini
// section and key names, which are English texts, and for the usual translated ones.
char32_t FoldCase(char32_t cp);
std::string FoldCase(std::string_view utf8);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Blanks of the profile rules: space, tab, CR, LF, vertical tab, form feed.
bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view text);

// CJK unified ideographs as device names count them: UTF-16 units in U+4E00..U+9FA5. Each
// takes three bytes in UTF-8, two more than the one a device reserves per character.
constexpr bool IsCjkIdeograph(char16_t unit) { return unit >= 0x4E00 && unit <= 0x9FA5; }
int CountCjkIdeographs(std::u16string_view text);

// The longest prefix of `utf8` that takes at most `maxUnits` UTF-16 code units; a character
// that needs a surrogate pair is never split.
std::string_view CutToUtf16Units(std::string_view utf8, std::size_t maxUnits);

}  // namespace cpe::platform
