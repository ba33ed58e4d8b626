// What the forms' edits hold (UTF-8 text, as the views and the command line give it) turned
// into what the device records hold: numbers read the way the edits mean them, texts in the
// local ANSI code set, and the measures the checks apply to them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace cpe::actions {

// The decimal value of the text's leading digits (after blanks and an optional sign); 0 when
// there are none. The value saturates at the widest device field (32 bits unsigned) either way,
// so an over-long number stays out of range instead of wrapping into it.
std::int64_t ReadDecimal(std::string_view text);

// A value brought into the range of a device field; what lies outside becomes the nearest end.
template <typename T>
T ClampTo(std::int64_t value) {
    return static_cast<T>(
        std::clamp<std::int64_t>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// An entered text in the local ANSI code set, as the device record holds it; nothing when the
// code set cannot hold one of its characters.
std::optional<std::string> EntryToAnsi(std::string_view entry);
// A record's ANSI text as an edit shows it; bytes the code set does not define show as U+FFFD.
std::string AnsiToEntry(std::string_view ansi);

// Bytes the ANSI text takes on the wire: UTF-8 when it holds a CJK ideograph, else as it is.
std::size_t DeviceTextBytes(std::string_view ansi);

// Characters as the edits count them (UTF-16 code units).
std::size_t CharacterCount(std::string_view entry);
int CountCjkIn(std::string_view entry);
bool IsPrintableAscii(std::string_view text);  // 0x20..0x7E only

}  // namespace cpe::actions
