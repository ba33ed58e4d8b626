// The wireless form's tables and combo rules: country codes both ways, the channels a country
// offers, the extension channel of a 40 MHz pair and the width radios per network mode.
#include "actions/config/wireless_choices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cpe::actions {
namespace {

std::vector<int> DataOf(const Choices& c) {
    std::vector<int> out;
    for (const ChoiceEntry& e : c.entries)
        out.push_back(e.data);
    return out;
}

std::vector<std::string> TextsOf(const Choices& c) {
    std::vector<std::string> out;
    for (const ChoiceEntry& e : c.entries)
        out.push_back(e.text);
    return out;
}

const CountryEntry& Country(RadioBand band, std::string_view name) {
    for (const CountryEntry& c : CountryList(band))
        if (c.name == name)
            return c;
    throw std::out_of_range(std::string(name));
}

TEST(CountryTables, CodesAndPositionsAgreeBothWays) {
    for (RadioBand band : {RadioBand::kGhz24, RadioBand::kGhz5}) {
        ASSERT_EQ(CountryList(band).size(), kCountryCount);
        for (std::size_t pos = 0; pos < kCountryCount; ++pos) {
            const auto code = CountryCodeOf(band, pos);
            if (!code)
                continue;
            EXPECT_EQ(CountryPositionOf(band, *code), pos) << CountryList(band)[pos].name;
        }
    }
    EXPECT_EQ(CountryPositionOf(RadioBand::kGhz24, 0), 4u);  // "CN/9": China
    EXPECT_EQ(CountryCodeOf(RadioBand::kGhz24, 1), 44);      // Australia: "AU"
    EXPECT_EQ(CountryPositionOf(RadioBand::kGhz5, 0), 1u);   // "AR": Argentina
    EXPECT_EQ(CountryCodeOf(RadioBand::kGhz5, 31), 28);      // United States: "US"
    // A code the list does not offer, and empty table entries, name no country.
    EXPECT_FALSE(CountryPositionOf(RadioBand::kGhz24, 4));  // "IT"
    EXPECT_FALSE(CountryPositionOf(RadioBand::kGhz24, 58));
    EXPECT_FALSE(CountryPositionOf(RadioBand::kGhz5, 255));
}

TEST(CountryTables, FiveGigahertzCountriesWithoutCode) {
    std::vector<std::string_view> without;
    for (std::size_t pos = 0; pos < kCountryCount; ++pos)
        if (!CountryCodeOf(RadioBand::kGhz5, pos))
            without.push_back(CountryList(RadioBand::kGhz5)[pos].name);
    EXPECT_EQ(without, (std::vector<std::string_view>{"Australia", "Egypt", "Malaysia", "Peru", "Taiwan"}));
    for (std::size_t pos = 0; pos < kCountryCount; ++pos)
        EXPECT_TRUE(CountryCodeOf(RadioBand::kGhz24, pos)) << CountryList(RadioBand::kGhz24)[pos].name;
}

TEST(ChannelChoices, FiveGigahertzNeverOffersSkippedChannels) {
    for (const CountryEntry& c : CountryList(RadioBand::kGhz5))
        for (int width : {0, 1, 2})
            for (int n : DataOf(ChannelChoices(ChannelListFor(c, width), 0)))
                EXPECT_FALSE((n >= 52 && n <= 64) || (n >= 100 && n <= 144)) << c.name << " " << n;

    const Choices us = ChannelChoices(Country(RadioBand::kGhz5, "United States").list20, 157);
    EXPECT_EQ(TextsOf(us),
              (std::vector<std::string>{"Auto", "36", "40", "44", "48", "149", "153", "157", "161", "165"}));
    EXPECT_TRUE(us.entries[0].translate);
    EXPECT_EQ(us.SelectedData(), 157);
    // A wanted channel the list does not offer selects "Auto"; so does a list without channels.
    EXPECT_EQ(ChannelChoices(Country(RadioBand::kGhz5, "United States").list20, 52).selected, 0);
    EXPECT_EQ(TextsOf(ChannelChoices({}, 6)), (std::vector<std::string>{"Auto"}));
}

TEST(ExtensionChoices, FiveGigahertzPairPartner) {
    ExtensionQuery q;
    q.rfType = 1;
    q.networkMode = 1;
    q.width = 1;
    q.country = &Country(RadioBand::kGhz5, "United States");
    auto partner = [&](int channel) {
        q.channel = channel;
        const Choices c = ExtensionChoices(q);
        EXPECT_TRUE(c.enabled);
        EXPECT_EQ(c.selected, 0);
        return c.entries.size() == 1 ? c.entries[0] : ChoiceEntry{};
    };
    EXPECT_EQ(partner(36), (ChoiceEntry{"40", false, 0}));
    EXPECT_EQ(partner(40), (ChoiceEntry{"36", false, 0}));
    EXPECT_EQ(partner(161), (ChoiceEntry{"157", false, 0}));
    EXPECT_EQ(partner(0), (ChoiceEntry{"Auto", true, 0}));
    // 11a, 20 MHz or the 80 MHz width: no extension channel.
    for (auto [mode, width] : {std::pair{0, 1}, {1, 0}, {2, 2}}) {
        q.networkMode = mode;
        q.width = width;
        q.channel = 36;
        EXPECT_FALSE(ExtensionChoices(q).enabled);
        EXPECT_TRUE(ExtensionChoices(q).entries.empty());
    }
}

TEST(ExtensionChoices, TwoGigahertzBandEdges) {
    ExtensionQuery q;
    q.networkMode = 4;
    q.width = 1;
    q.channelEntries = 14;  // Auto and 1..13
    auto at = [&](int channel, int wanted = 2) {
        q.channel = channel;
        q.wanted = wanted;
        return ExtensionChoices(q);
    };
    EXPECT_EQ(DataOf(at(1)), (std::vector<int>{1}));
    EXPECT_EQ(TextsOf(at(4)), (std::vector<std::string>{"8"}));
    EXPECT_EQ(TextsOf(at(5)), (std::vector<std::string>{"1", "9"}));
    EXPECT_EQ(DataOf(at(9)), (std::vector<int>{0, 1}));
    EXPECT_EQ(TextsOf(at(10)), (std::vector<std::string>{"6"}));
    EXPECT_EQ(TextsOf(at(13)), (std::vector<std::string>{"9"}));
    EXPECT_EQ(at(7, 1).selected, 1);
    EXPECT_EQ(at(7, 2).selected, 0);
    q.channelEntries = 12;  // an 11-channel country
    EXPECT_EQ(TextsOf(at(8)), (std::vector<std::string>{"4"}));
    // Auto, 20 MHz and the modes without 40 MHz leave it disabled and empty.
    EXPECT_FALSE(at(0).enabled);
    q.width = 0;
    EXPECT_FALSE(at(6).enabled);
    q.width = 1;
    q.networkMode = 0;
    EXPECT_FALSE(at(6).enabled);
    EXPECT_TRUE(at(6).entries.empty());
}

TEST(WidthRadios, RulesPerNetworkMode) {
    struct Case {
        RadioBand band;
        int mode;
        std::array<bool, 3> enabled;
        int checked;  // from 40 MHz checked before
    };
    const Case cases[] = {
        {RadioBand::kGhz5, 0, {true, false, false}, 0},  {RadioBand::kGhz5, 1, {true, true, false}, 0},
        {RadioBand::kGhz5, 2, {true, true, true}, 1},    {RadioBand::kGhz24, 0, {true, false, false}, 0},
        {RadioBand::kGhz24, 1, {true, false, false}, 0}, {RadioBand::kGhz24, 2, {true, false, false}, 0},
        {RadioBand::kGhz24, 3, {true, true, true}, 1},   {RadioBand::kGhz24, 4, {true, true, true}, 1},
    };
    for (const Case& c : cases) {
        WidthRadios radios = InitialWidthRadios(c.band);
        radios.enabled = {true, false, true};
        radios.checked = 1;
        ApplyWidthRules(c.band, c.mode, radios);
        EXPECT_EQ(radios.enabled, c.enabled) << c.mode;
        EXPECT_EQ(radios.checked, c.checked) << c.mode;
    }
    WidthRadios unknown = InitialWidthRadios(RadioBand::kGhz24);
    unknown.enabled = {true, false, true};
    ApplyWidthRules(RadioBand::kGhz24, 9, unknown);
    EXPECT_EQ(unknown.enabled, (std::array<bool, 3>{true, false, true}));
    EXPECT_EQ(InitialWidthRadios(RadioBand::kGhz5).thirdLabel, "80MHz");
    EXPECT_EQ(InitialWidthRadios(RadioBand::kGhz24).thirdLabel, "Auto");
}

TEST(ModeChoices, NetworkAndSecurityModes) {
    EXPECT_EQ(DataOf(NetworkModeChoices(RadioBand::kGhz24, 4)), (std::vector<int>{1, 2, 0, 4}));
    EXPECT_EQ(NetworkModeChoices(RadioBand::kGhz24, 4).selected, 3);
    // A code the lists do not hold is shown as such and selected, never an empty box.
    const Choices unknownMode = NetworkModeChoices(RadioBand::kGhz24, 3);
    EXPECT_EQ(TextsOf(unknownMode), (std::vector<std::string>{"11b", "11g", "11b/g", "11b/g/n", "Unknown (3)"}));
    EXPECT_EQ(unknownMode.SelectedData(), 3);
    EXPECT_EQ(TextsOf(NetworkModeChoices(RadioBand::kGhz5, 2)), (std::vector<std::string>{"11a", "11a/n", "11ac"}));
    EXPECT_EQ(SecurityModeChoices(9).SelectedData(), 9);
    EXPECT_EQ(SecurityModeChoices(9).entries.back().text, "Unknown (9)");
    EXPECT_EQ(WepDefaultKeyChoices(0).SelectedData(), 0);
    EXPECT_EQ(VisibilityFor(0), (SecurityVisibility{false, false, false}));
    EXPECT_EQ(VisibilityFor(1), (SecurityVisibility{false, true, false}));
    EXPECT_EQ(VisibilityFor(4), (SecurityVisibility{true, false, false}));
    EXPECT_EQ(VisibilityFor(6), (SecurityVisibility{false, false, true}));
}

}  // namespace
}  // namespace cpe::actions
