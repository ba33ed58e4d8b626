#include "platform/unicode_text.h"

namespace cpe::platform {

namespace {

// Allowed range of the second byte after a lead byte (Unicode's well-formed byte sequences);
// later continuation bytes are always 0x80..0xBF.
struct LeadInfo {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

LeadInfo ClassifyLead(unsigned char b) {
    if (b < 0x80)
        return {1, 0, 0};
    if (b >= 0xC2 && b <= 0xDF)
        return {2, 0x80, 0xBF};
    if (b == 0xE0)
        return {3, 0xA0, 0xBF};
    if (b == 0xED)
        return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF)
        return {3, 0x80, 0xBF};
    if (b == 0xF0)
        return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3)
        return {4, 0x80, 0xBF};
    if (b == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};  // continuation byte, C0, C1 or F5..FF
}

// Number of bytes at `pos` that agree with a well-formed sequence; equals the lead's length
// when the whole sequence is well formed.
std::size_t MatchingBytes(std::string_view text, std::size_t pos, const LeadInfo& lead) {
    std::size_t k = 1;
    for (; k < lead.length && pos + k < text.size(); ++k) {
        const auto b = static_cast<unsigned char>(text[pos + k]);
        const unsigned char low = k == 1 ? lead.secondLow : 0x80;
        const unsigned char high = k == 1 ? lead.secondHigh : 0xBF;
        if (b < low || b > high)
            break;
    }
    return k;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size())
        return 0;
    const LeadInfo lead = ClassifyLead(static_cast<unsigned char>(text[pos]));
    if (lead.length <= 1)
        return lead.length;
    return MatchingBytes(text, pos, lead) == lead.length ? lead.length : 0;
}

std::size_t ValidUtf8PrefixLength(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t len = Utf8SequenceLength(text, pos);
        if (len == 0)
            break;
        pos += len;
    }
    return pos;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    const LeadInfo info = ClassifyLead(lead);
    if (info.length == 0) {
        ++pos;
        return kReplacementChar;
    }
    const std::size_t matched = MatchingBytes(text, pos, info);
    if (matched != info.length) {
        pos += matched;
        return kReplacementChar;
    }
    char32_t cp = lead & (0x7F >> info.length);
    for (std::size_t k = 1; k < info.length; ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos + k]) & 0x3F);
    }
    pos += info.length;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = kReplacementChar;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char32_t FoldCase(char32_t cp) {
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
        return cp + 32;
    if (cp >= 0x100 && cp <= 0x17F) {
        if (cp == 0x130 || cp == 0x131 || cp == 0x138 || cp == 0x149 || cp == 0x17F)
            return cp;
        if (cp == 0x178)
            return 0xFF;
        const bool upperIsOdd = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
        return ((cp & 1) == (upperIsOdd ? 1u : 0u)) ? cp + 1 : cp;
    }
    if (cp >= 0x386 && cp <= 0x3A9) {
        if (cp >= 0x391 && cp != 0x3A2)
            return cp + 32;
        if (cp == 0x386)
            return 0x3AC;
        if (cp >= 0x388 && cp <= 0x38A)
            return cp + 37;
        if (cp == 0x38C)
            return 0x3CC;
        if (cp == 0x38E || cp == 0x38F)
            return cp + 63;
        return cp;
    }
    if (cp >= 0x400 && cp <= 0x40F)
        return cp + 80;
    if (cp >= 0x410 && cp <= 0x42F)
        return cp + 32;
    if ((cp >= 0x460 && cp <= 0x481) || (cp >= 0x48A && cp <= 0x4BF) || (cp >= 0x4D0 && cp <= 0x52F)) {
        return (cp & 1) == 0 ? cp + 1 : cp;
    }
    if (cp == 0x4C0)
        return 0x4CF;
    if (cp >= 0x4C1 && cp <= 0x4CE)
        return (cp & 1) == 1 ? cp + 1 : cp;
    return cp;
}

std::string FoldCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[pos]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(FoldCase(static_cast<char32_t>(b))));
            ++pos;
            continue;
        }
        AppendUtf8(out, FoldCase(DecodeUtf8(utf8, pos)));
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (FoldCase(DecodeUtf8(a, i)) != FoldCase(DecodeUtf8(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

int CountCjkIdeographs(std::u16string_view text) {
    int count = 0;
    for (char16_t unit : text) {
        if (IsCjkIdeograph(unit))
            ++count;
    }
    return count;
}

std::string_view CutToUtf16Units(std::string_view utf8, std::size_t maxUnits) {
    std::size_t pos = 0;
    std::size_t units = 0;
    while (pos < utf8.size()) {
        std::size_t next = pos;
        const char32_t cp = DecodeUtf8(utf8, next);
        const std::size_t need = cp > 0xFFFF ? 2 : 1;
        if (units + need > maxUnits)
            break;
        units += need;
        pos = next;
    }
    return utf8.substr(0, pos);
}

namespace {

void AppendJsonEscape(std::string& out, char32_t cp) {
    static constexpr char kHex[] = "0123456789abcdef";
    switch (cp) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
    }
    if (cp < 0x20) {
        out += "\\u00";
        out += kHex[cp >> 4];
        out += kHex[cp & 0xF];
        return;
    }
    AppendUtf8(out, cp);
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view utf8) {
    out += '"';
    for (std::size_t pos = 0; pos < utf8.size();)
        AppendJsonEscape(out, DecodeUtf8(utf8, pos));
    out += '"';
}

}  // namespace cpe::platform
