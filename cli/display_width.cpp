#include "cli/display_width.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/unicode_text.h"

namespace cpe::cli {
namespace {

using Range = std::pair<char32_t, char32_t>;

// East Asian Wide (W) and Fullwidth (F) blocks, in order.
constexpr std::array<Range, 22> kWide = {{
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x2614, 0x2615},
    {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
}};

// Combining marks and characters that take no room, in order.
constexpr std::array<Range, 9> kZero = {{
    {0x0300, 0x036F},
    {0x0483, 0x0489},
    {0x0591, 0x05BD},
    {0x1AB0, 0x1AFF},
    {0x1DC0, 0x1DFF},
    {0x200B, 0x200F},
    {0x20D0, 0x20FF},
    {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F},
}};

template <std::size_t N>
bool InRanges(const std::array<Range, N>& ranges, char32_t cp) {
    const auto it = std::upper_bound(ranges.begin(), ranges.end(), cp,
                                     [](char32_t value, const Range& r) { return value < r.first; });
    return it != ranges.begin() && cp <= std::prev(it)->second;
}

bool IsControl(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp < 0xA0); }

}  // namespace

int CharWidth(char32_t cp) {
    if (InRanges(kZero, cp))
        return 0;
    return InRanges(kWide, cp) ? 2 : 1;
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = platform::DecodeUtf8(utf8, pos);
        width += IsControl(cp) ? 1 : static_cast<std::size_t>(CharWidth(cp));
    }
    return width;
}

std::string PrintableText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = platform::DecodeUtf8(utf8, pos);
        platform::AppendUtf8(out, IsControl(cp) ? platform::kReplacementChar : cp);
    }
    return out;
}

}  // namespace cpe::cli
