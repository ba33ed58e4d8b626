// The combo and radio rules of the wireless form: what each control offers for the current
// selections, and which of them are enabled or shown.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/config/radio_tables.h"

namespace cpe::actions {

// One combo entry. `text` is a language-file key when `translate` is set, else shown as it is.
// `deviceOnly` marks the device's own value where the form's lists do not offer it.
struct ChoiceEntry {
    std::string text;
    bool translate = false;
    int data = 0;
    bool deviceOnly = false;

    bool operator==(const ChoiceEntry&) const = default;
};

struct Choices {
    std::vector<ChoiceEntry> entries;
    int selected = -1;  // position of the selected entry; -1 when none is
    bool enabled = true;

    std::optional<int> SelectedData() const;
    // Selects the first entry carrying `data`; false (selection unchanged) when none does.
    bool SelectData(int data);
};

// The entry of a device's value that no list holds: "Unknown (N)" (translated), never an empty
// box. Its item data is `data`; saving it keeps the device's value.
ChoiceEntry UnknownEntry(int code, int data);
// Offers the device's value as an unknown entry unless an entry already carries it.
void OfferDeviceValue(Choices& choices, int code);

// Network modes of a band (translated), selecting `code`, or an unknown entry of it.
Choices NetworkModeChoices(RadioBand band, int code);
// Security modes (not translated), item data = code = position; selects `code`, or an unknown
// entry of it.
Choices SecurityModeChoices(int code);
inline constexpr int kSecurityModeCount = 7;
// The band's country names (translated), item data = position.
Choices CountryChoices(RadioBand band, std::optional<std::size_t> position);

// The channel combo for a channel list: "Auto" for 0, every other channel by its number, except
// 52-64 and 100-144, which are never offered. Selects `wanted`, else "Auto".
Choices ChannelChoices(std::string_view channelList, int wanted);

struct ExtensionQuery {
    std::uint8_t rfType = 0;
    int networkMode = 0;
    int width = 0;
    const CountryEntry* country = nullptr;  // none selected: no 40 MHz pairs are known
    std::size_t channelEntries = 0;         // entries of the channel combo, "Auto" included
    int channel = 0;
    int wanted = 2;  // extension position to select; 2 selects the first
};
// The extension-channel combo: on 2.4 GHz (11b/g/n at 40 MHz or the third width) channel - 4
// (data 0) and/or channel + 4 (data 1) as the band edges allow; on the 5 GHz radio (11a/n or
// 11ac at 40 MHz) the partner of the channel's 40 MHz pair (data 0). Disabled and empty otherwise.
Choices ExtensionChoices(const ExtensionQuery& query);

struct WidthRadios {
    std::array<bool, 3> enabled{true, true, true};  // 20 MHz, 40 MHz, third option
    int checked = 0;                                // width code: 0, 1 or 2
    std::string_view thirdLabel;                    // "80MHz" on 5 GHz, "Auto" on 2.4 GHz
};
WidthRadios InitialWidthRadios(RadioBand band);
// Modes without 40 MHz force 20 MHz and disable the other widths; the others enable all three.
// An unknown mode changes nothing.
void ApplyWidthRules(RadioBand band, int networkMode, WidthRadios& radios);

// Which security controls the form shows for a security mode.
struct SecurityVisibility {
    bool pskControls = false;  // cipher radios, key, key update interval
    bool wepForm = false;
    bool wpaForm = false;

    bool operator==(const SecurityVisibility&) const = default;
};
SecurityVisibility VisibilityFor(int secureMode);

// The WEP and WPA sub-forms' combos; a value none of them offers shows as an unknown entry.
Choices WepAuthChoices(int authType);        // "Open" 0, "Share" 1
Choices WepDefaultKeyChoices(int keyIndex);  // "Key 1" .. "Key 4" (translated), data 1-4
Choices WepKeyTypeChoices(int type);         // "ASCII" 0, "Hex" 1
Choices WpaCipherChoices(int cipher);        // "AES" 0, "TKIP" 1, "AES/TKIP" 2

// Security mode codes.
inline constexpr int kSecurityWep = 1;
constexpr bool IsPskMode(int mode) { return mode >= 2 && mode <= 4; }
constexpr bool IsRadiusMode(int mode) { return mode == 5 || mode == 6; }

}  // namespace cpe::actions
