#include "actions/config/radio_tables.h"

#include <algorithm>
#include <array>
#include <string>

namespace cpe::actions {
namespace {

// 2.4 GHz channel lists.
constexpr std::string_view G13 = "0,1,2,3,4,5,6,7,8,9,10,11,12,13";
constexpr std::string_view G11 = "0,1,2,3,4,5,6,7,8,9,10,11";

// 5 GHz, 20 MHz.
constexpr std::string_view N1 =
    "0,36,40,44,48,52,56,60,64,100,104,108,112,116,120,124,128,132,136,140,149,153,157,161,165";
constexpr std::string_view N2 = "0,52,56,60,64,149,153,157,161,165";
constexpr std::string_view N3 =
    "0,36,40,44,48,52,56,60,64,100,104,108,112,116,120,124,128,132,136,140,144,149,153,157,161,165";
constexpr std::string_view N4 = "0,36,40,44,48,52,56,60,64,100,104,108,112,116,120,124,128,132,136,140";
constexpr std::string_view N5 = "0,52,56,60,64,100,104,108,112,116,120,124,128,132,136,140,149,153,157,161,165";

// 5 GHz, 40 MHz pairs.
constexpr std::string_view W1 =
    "0,36l,40u,44l,48u,52l,56u,60l,64u,100l,104u,108l,112u,120u,128u,132l,136u,140l,149l,153u,157l,161u";
constexpr std::string_view W2 = "0,52l,56u,60l,64u,149l,153u,157l,161u";
constexpr std::string_view W3 =
    "0,36l,40u,44l,48u,52l,56u,60l,64u,100l,104u,108l,112u,116l,120u,124l,128u,132l,136u,140l,144u,149l,153u,"
    "157l,161u";
constexpr std::string_view W4 = "0,36l,40u,44l,48u,52l,56u,60l,64u,100l,104u,108l,112u,116l,120u,124l,128u,132l,136u";
constexpr std::string_view W5 = "0,52l,56u,60l,64u,100l,104u,108l,112u,120u,128u,132l,136u,140l,149l,153u,157l,161u";

// 5 GHz, 80 MHz.
constexpr std::string_view V1 = "0,36,40,44,48,52,56,60,64,100,104,108,112,132,136,140,144,149,153,157,161";
constexpr std::string_view V2 = "0,52,56,60,64,149,153,157,161";
constexpr std::string_view V3 = "0,36,40,44,48,52,56,60,64,100,104,108,112,116,120,124,128,149,153,157,161";
constexpr std::string_view V4 =
    "0,36,40,44,48,52,56,60,64,100,104,108,112,116,120,124,128,132,136,140,144,149,153,157,161";
constexpr std::string_view V5 = "0,36,40,44,48,52,56,60,64,100,104,108,112,116,120,124,128";
constexpr std::string_view V6 = "0,36,40,44,48,52,56,60,64,100,104,108,112,116,120,124,128,132,136,140,149,153,157,161";
constexpr std::string_view V7 = "0,52,56,60,64,100,104,108,112,116,120,124,128,132,136,140,149,153,157,161";

constexpr std::array<std::string_view, 58> kCodeTable24{
    "CN/9", "US",    "GB", "ES", "IT",   "FR",   "DE",   "NL", "CZ",   "PL",     //  0 ..  9
    "EE",   "RU/5",  "TR", "SE", "CH",   "DK",   "BE",   "BG", "AM",   "FI",     // 10 .. 19
    "SI",   "SK",    "RO", "PT", "AT",   "GR",   "CA/2", "MX", "BR/4", "AR",     // 20 .. 29
    "CL",   "CO",    "PE", "LV", "IN/3", "ID/5", "PH",   "VN", "TH/5", "KR/65",  // 30 .. 39
    "HK/6", "TW/50", "MY", "NZ", "AU",   "PK",   "AE/6", "IQ", "SA/5", "ZA/6",   // 40 .. 49
    "EG",   "MA",    "IL", "BD", "IR",   "NP",   "UA",   "VE",                   // 50 .. 57
};

constexpr std::array<std::string_view, 32> kCodeTable5{
    "AR",   "BD",   "BR/4", "CA/2", "CN/9", "CO",   "CZ", "GB",   "FR", "DE",  //  0 ..  9
    "HK/6", "IN/3", "ID/5", "IR",   "IQ",   "MX",   "NP", "PK",   "PH", "PL",  // 10 .. 19
    "RO",   "RU/5", "SA/5", "ZA/6", "ES",   "TH/5", "TR", "AE/6", "US", "UA",  // 20 .. 29
    "VE",   "VN",                                                              // 30 .. 31
};

constexpr CountryEntry Country24(std::string_view name, std::string_view code, std::string_view list) {
    return {name, code, list, list, list};
}

constexpr std::array<CountryEntry, kCountryCount> kCountries24{{
    Country24("Argentina", "AR", G13),
    Country24("Australia", "AU", G13),
    Country24("Brazil", "BR", G13),
    Country24("Canada", "CA", G11),
    Country24("China", "CN", G13),
    Country24("Colombia", "CO", G11),
    Country24("CzechRepublic", "CZ", G13),
    Country24("Egypt", "EG", G13),
    Country24("England", "GB", G13),
    Country24("France", "FR", G13),
    Country24("Germany", "DE", G13),
    Country24("Hong Kong", "HK", G13),
    Country24("India", "IN", G13),
    Country24("Indonesia", "ID", G13),
    Country24("Iran", "IR", G13),
    Country24("Iraq", "IQ", G13),
    Country24("Malaysia", "MY", G13),
    Country24("Mexico", "MX", G11),
    Country24("Peru", "PE", G13),
    Country24("Pakistan", "PK", G13),
    Country24("Philippines", "PH", G13),
    Country24("Poland", "PL", G13),
    Country24("Romania", "RO", G13),
    Country24("Russia", "RU", G13),
    Country24("Saudi Arabia", "SA", G13),
    Country24("South Afica", "ZA", G13),
    Country24("Spain", "ES", G13),
    Country24("Taiwan", "TW", G11),
    Country24("Thailand", "TH", G13),
    Country24("Turkey", "TR", G13),
    Country24("United Arab Emirates", "AE", G13),
    Country24("United States", "US", G11),
    Country24("Ukiain", "UA", G13),
    Country24("Venezuela", "VE", G13),
    Country24("Vietnam", "VN", G13),
}};

constexpr std::array<CountryEntry, kCountryCount> kCountries5{{
    {"Australia", "AU", N1, W1, V1},
    {"Argentina", "AR", N2, W2, V2},
    {"Brazil", "BR", N1, W1, V3},
    {"Canada", "CA", N3, W3, V4},
    {"China", "CN", N3, W3, V4},
    {"Colombia", "CO", N3, W3, V4},
    {"CzechRepublic", "CZ", N4, W4, V5},
    {"Egypt", "EG", N4, W4, V5},
    {"England", "GB", N4, W4, V5},
    {"France", "FR", N4, W4, V5},
    {"Germany", "DE", N4, W4, V5},
    {"Hong Kong", "HK", N1, W1, V6},
    {"India", "IN", N1, W1, V6},
    {"Indonesia", "ID", N1, W1, V6},
    {"Iran", "IR", N5, W5, V7},
    {"Iraq", "IQ", N1, W1, V6},
    {"Malaysia", "MY", N5, W5, V7},
    {"Mexico", "MX", N1, W1, V6},
    {"Peru", "PE", N5, W5, V7},
    {"Pakistan", "PK", N5, W5, V7},
    {"Philippines", "PH", N1, W1, V6},
    {"Poland", "PL", N4, W4, V5},
    {"Romania", "RO", N4, W4, V5},
    {"Russia", "RU", N4, W4, V5},
    {"Saudi Arabia", "SA", N1, W1, V6},
    {"South Afica", "ZA", N1, W1, V3},
    {"Spain", "ES", N4, W4, V5},
    {"Taiwan", "TW", N5, W5, V7},
    {"Thailand", "TH", N1, W1, V6},
    {"Turkey", "TR", N4, W4, V5},
    {"United Arab Emirates", "AE", N4, W4, V5},
    {"United States", "US", N1, W1, V6},
    {"Ukiain", "UA", N4, W4, V5},
    {"Venezuela", "VE", N5, W5, V7},
    {"Vietnam", "VN", N4, W4, V5},
}};

}  // namespace

std::span<const std::string_view> CountryCodeTable(RadioBand band) {
    if (band == RadioBand::kGhz24)
        return kCodeTable24;
    return kCodeTable5;
}

std::span<const CountryEntry> CountryList(RadioBand band) {
    if (band == RadioBand::kGhz24)
        return kCountries24;
    return kCountries5;
}

std::optional<std::size_t> CountryPositionOf(RadioBand band, std::uint8_t countryCode) {
    const auto table = CountryCodeTable(band);
    if (countryCode >= table.size())
        return std::nullopt;
    const std::string_view entry = table[countryCode];
    const auto countries = CountryList(band);
    for (std::size_t i = 0; i < countries.size(); ++i) {
        if (entry.find(countries[i].code) != std::string_view::npos)
            return i;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> CountryCodeOf(RadioBand band, std::size_t position) {
    const auto countries = CountryList(band);
    if (position >= countries.size())
        return std::nullopt;
    const auto table = CountryCodeTable(band);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].find(countries[position].code) != std::string_view::npos)
            return static_cast<std::uint8_t>(i);
    }
    return std::nullopt;
}

std::string_view ChannelListFor(const CountryEntry& country, int width) {
    switch (width) {
    case 0: return country.list20;
    case 1: return country.list40;
    default: return country.list80;
    }
}

bool IsBandChannel(RadioBand band, int channel) {
    // G13 and N3 hold every channel of the other lists of their band.
    std::string_view list = band == RadioBand::kGhz24 ? G13 : N3;
    const std::string number = std::to_string(channel);
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        if (channel != 0 && list.substr(0, comma) == number)
            return true;
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
    return false;
}

}  // namespace cpe::actions
