#include "protocol/codes.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "platform/unicode_text.h"

namespace cpe {
namespace {

struct ModelEntry {
    int code;
    std::string_view name;
};
constexpr std::array<ModelEntry, 10> kModels{{
    {1, "Axel"},
    {2, "Brio"},
    {3, "Cove"},
    {4, "Dorn"},
    {5, "Axel2"},
    {257, "Ember"},
    {258, "Fjord"},
    {259, "Grove"},
    {260, "Haven"},
    {261, "Islet"},
}};

constexpr std::array<std::string_view, 10> kStatusKeys{
    "Outline",  "Online",       "Bridge success", "Bridge fail",     "Restarting",
    "Reseting", "Upgrade wait", "Upgrading",      "Upgrade success", "Upgrade fail",
};
constexpr std::array<std::string_view, 7> kWorkModeKeys{
    "AP", "Station", "Universal Repeater", "Repeater", "P2MP", "WISP", "Router",
};
constexpr std::array<std::string_view, 7> kSecureModeKeys{
    "Disable", "WEP", "WPA_PSK", "WPA2_PSK", "WPAWPA2_PSK", "WPA", "WPA2",
};

// The key of a code in a table whose first entry has code firstCode.
template <std::size_t N>
std::string_view KeyOrEmpty(const std::array<std::string_view, N>& keys, int code, int firstCode) {
    if (code < firstCode || static_cast<std::size_t>(code - firstCode) >= N)
        return {};
    return keys[static_cast<std::size_t>(code - firstCode)];
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A reader over a text that follows the rules of scanf's numeric conversions: white space is
// skipped before a number, a sign is allowed, the number ends at the first character that
// cannot continue it, and a literal separator must match exactly. Values wrap like unsigned
// 32-bit arithmetic, so only their low bits are meaningful, and nothing is read past the end.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool Literal(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // "%d"
    std::optional<std::uint32_t> Decimal() {
        SkipSpace();
        const bool negative = Sign();
        std::size_t digits = 0;
        std::uint32_t value = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            value = value * 10u + static_cast<std::uint32_t>(text_[pos_] - '0');
            ++pos_;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        return negative ? 0u - value : value;
    }

    // "%02x": at most two characters, the sign included.
    std::optional<std::uint32_t> Hex2() {
        SkipSpace();
        const std::size_t start = pos_;
        const bool negative = Sign();
        std::size_t digits = 0;
        std::uint32_t value = 0;
        while (pos_ - start < 2 && pos_ < text_.size() && HexDigit(text_[pos_]) >= 0) {
            value = value * 16u + static_cast<std::uint32_t>(HexDigit(text_[pos_]));
            ++pos_;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        return negative ? 0u - value : value;
    }

private:
    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(text_[pos_]))
            ++pos_;
    }
    bool Sign() {
        if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-'))
            return text_[pos_++] == '-';
        return false;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Fills bytes from the scanner until a conversion or a separator fails; the rest stay 0.
template <std::size_t N, typename Convert>
std::array<std::uint8_t, N> ScanBytes(std::string_view text, char separator, Convert convert) {
    std::array<std::uint8_t, N> out{};
    Scanner scanner(text);
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0 && !scanner.Literal(separator))
            break;
        const auto value = convert(scanner);
        if (!value)
            break;
        out[i] = static_cast<std::uint8_t>(*value & 0xFFu);
    }
    return out;
}

// True when the text is four dot-separated decimal numbers of 0..255 and nothing else.
bool IsDottedQuad(std::string_view text) {
    int parts = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = std::min(text.find('.', start), text.size());
        const std::string_view part = text.substr(start, dot - start);
        if (part.empty() || part.size() > 3 ||
            !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        int value = 0;
        for (char c : part)
            value = value * 10 + (c - '0');
        if (value > 255)
            return false;
        ++parts;
        if (dot == text.size())
            break;
        start = dot + 1;
    }
    return parts == 4;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

std::string ModelName(int modelCode) {
    for (const auto& model : kModels) {
        if (model.code == modelCode)
            return std::string(model.name);
    }
    return std::string(kModels.front().name);
}

int ModelCode(std::string_view name) {
    for (const auto& model : kModels) {
        if (model.name == name)
            return model.code;
    }
    return kModels.front().code;
}

bool IsModelSetB(int modelCode) { return modelCode == 4 || modelCode == 5 || modelCode == 260 || modelCode == 261; }

std::string_view StatusKey(int statusCode) { return KeyOrEmpty(kStatusKeys, statusCode, 0); }
std::string_view WorkModeKey(int workMode) { return KeyOrEmpty(kWorkModeKeys, workMode, 1); }
std::string_view SecureModeKey(int secureMode) { return KeyOrEmpty(kSecureModeKeys, secureMode, 0); }

std::string FormatIp(const RawIp& ip) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3]);
    return text;
}

RawIp ParseIp(std::string_view text) {
    return ScanBytes<4>(text, '.', [](Scanner& s) { return s.Decimal(); });
}

std::string FormatMac(const RawMac& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

RawMac ParseMac(std::string_view text) {
    return ScanBytes<6>(text, ':', [](Scanner& s) { return s.Hex2(); });
}

bool IsValidIp(std::string_view text, bool allowEmpty) {
    if (text.empty() || text == "0.0.0.0")
        return allowEmpty;
    if (!IsDottedQuad(text))
        return false;
    const RawIp ip = ParseIp(text);
    return ip[0] != 0 && ip[0] != 127 && ip[0] < 224 && ip[3] != 255;
}

bool IsValidMask(std::string_view text) {
    if (!IsDottedQuad(text))
        return false;
    const RawIp mask = ParseIp(text);
    return mask != RawIp{255, 255, 255, 255} && mask != RawIp{};
}

bool SameSubnet(const RawIp& a, const RawIp& b, const RawIp& mask) {
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if ((a[i] & mask[i]) != (b[i] & mask[i]))
            return false;
    }
    return true;
}

bool IsCjk(char16_t unit) { return platform::IsCjkIdeograph(unit); }

int CountCjk(std::u16string_view text) { return platform::CountCjkIdeographs(text); }

bool HasNoCjk(std::u16string_view text) { return CountCjk(text) == 0; }

std::u16string CutToDeviceBytes(std::u16string_view text, int byteLimit) {
    // Every unit counts one byte, an ideograph two more (three in UTF-8).
    long extra = 0;
    std::size_t keep = 0;
    while (keep < text.size()) {
        if (IsCjk(text[keep]))
            extra += 2;
        if (extra + static_cast<long>(keep) + 1 > byteLimit)
            break;
        ++keep;
    }
    // Never leave half of a surrogate pair behind.
    if (keep > 0 && keep < text.size() && IsHighSurrogate(text[keep - 1]))
        --keep;
    return std::u16string(text.substr(0, keep));
}

}  // namespace cpe
