// The regulatory tables of the wireless form: for each radio (2.4 GHz, 5 GHz) the device's
// country-code table and the 35 countries the form offers, each with its channel lists.
//
// A channel list is a comma-separated text whose first element is "0" (Auto). In the 40 MHz
// lists every channel carries "l" (lower channel of a pair, its partner is the next element)
// or "u" (upper channel, its partner is the previous element).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace cpe::actions {

enum class RadioBand : std::uint8_t { kGhz24, kGhz5 };

// rf_type 0 is the 2.4 GHz radio; any other value a 5 GHz one.
constexpr RadioBand BandOf(std::uint8_t rfType) { return rfType == 0 ? RadioBand::kGhz24 : RadioBand::kGhz5; }

struct CountryEntry {
    std::string_view name;    // English name, also its translation key
    std::string_view code;    // two letters
    std::string_view list20;  // channel list for 20 MHz (the only one on 2.4 GHz)
    std::string_view list40;
    std::string_view list80;
};

// The device's code table of a band: country_code indexes it. Indexes past its end are the
// table's empty entries (the device's table has 256 entries of 8 bytes).
std::span<const std::string_view> CountryCodeTable(RadioBand band);
// The 35 countries the form offers for a band, in combo order (position = item data).
std::span<const CountryEntry> CountryList(RadioBand band);
inline constexpr std::size_t kCountryCount = 35;

// The country at the first position whose code occurs in the code-table entry `countryCode`;
// nothing for an empty entry or no match.
std::optional<std::size_t> CountryPositionOf(RadioBand band, std::uint8_t countryCode);
// The first code-table index whose entry holds the country's code; nothing when no entry does
// (five 5 GHz countries have none).
std::optional<std::uint8_t> CountryCodeOf(RadioBand band, std::size_t position);

// The channel list of a country for a channel-width code: 0 = 20 MHz, 1 = 40 MHz, any other =
// the third width (80 MHz on 5 GHz). The 2.4 GHz lists do not depend on the width.
std::string_view ChannelListFor(const CountryEntry& country, int width);

// Whether some channel list of the band holds the channel (the form may still not offer it).
bool IsBandChannel(RadioBand band, int channel);

}  // namespace cpe::actions
