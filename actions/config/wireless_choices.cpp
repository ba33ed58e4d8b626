#include "actions/config/wireless_choices.h"

#include <algorithm>
#include <initializer_list>

#include "actions/config/check_failure.h"

namespace cpe::actions {
namespace {

struct NetworkMode {
    std::string_view key;
    int code;
};
constexpr std::array<NetworkMode, 4> kModes24{{{"11b", 1}, {"11g", 2}, {"11b/g", 0}, {"11b/g/n", 4}}};
constexpr std::array<NetworkMode, 3> kModes5{{{"11a", 0}, {"11a/n", 1}, {"11ac", 2}}};

// 11b/g/n on 2.4 GHz and 11a/n on 5 GHz: the modes that have a 40 MHz extension channel.
constexpr int kMode24WithExtension = 4;
constexpr int kMode5Legacy = 0;

// One element of a channel list: its leading number and the pair suffix ('l', 'u' or none).
struct ChannelElement {
    int number = 0;
    char suffix = '\0';
};

std::vector<ChannelElement> SplitChannelList(std::string_view list) {
    std::vector<ChannelElement> out;
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        const std::string_view item = list.substr(0, comma);
        ChannelElement element;
        std::size_t i = 0;
        for (; i < item.size() && item[i] >= '0' && item[i] <= '9'; ++i)
            element.number = element.number * 10 + (item[i] - '0');
        if (i < item.size())
            element.suffix = item[i];
        out.push_back(element);
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
    return out;
}

// Channels of the 5 GHz radio the form never offers.
bool IsSkippedChannel(int n) { return (n >= 52 && n <= 64) || (n >= 100 && n <= 144); }

ChoiceEntry AutoEntry() { return {"Auto", true, 0}; }
ChoiceEntry NumberEntry(int n, int data) { return {std::to_string(n), false, data}; }

bool ExtensionEnabled(const ExtensionQuery& q) {
    if (q.rfType == 0)
        return q.networkMode == kMode24WithExtension && q.width != 0;
    return q.rfType == 1 && q.networkMode != kMode5Legacy && q.width == 1;
}

void Fill24Extension(const ExtensionQuery& q, Choices& out) {
    if (q.channel == 0) {
        out.enabled = false;
        return;
    }
    const int highest = static_cast<int>(q.channelEntries) - 1;
    if (q.channel <= 4) {
        out.entries.push_back(NumberEntry(q.channel + 4, 1));
    } else if (q.channel > highest - 4) {
        out.entries.push_back(NumberEntry(q.channel - 4, 0));
    } else {
        out.entries.push_back(NumberEntry(q.channel - 4, 0));
        out.entries.push_back(NumberEntry(q.channel + 4, 1));
    }
}

void Fill5Extension(const ExtensionQuery& q, Choices& out) {
    if (q.country == nullptr)
        return;
    const std::vector<ChannelElement> pairs = SplitChannelList(q.country->list40);
    const auto it =
        std::find_if(pairs.begin(), pairs.end(), [&](const ChannelElement& e) { return e.number == q.channel; });
    if (it == pairs.end())
        return;
    if (it->number == 0) {
        out.entries.push_back(AutoEntry());
        return;
    }
    const std::size_t pos = static_cast<std::size_t>(it - pairs.begin());
    const std::size_t last = pairs.size() - 1;
    std::size_t partner = pos;
    if (it->suffix == 'l')
        partner = pos == last ? pos - 1 : pos + 1;
    else if (it->suffix == 'u')
        partner = pos <= 1 ? std::min(pos + 1, last) : pos - 1;
    out.entries.push_back(NumberEntry(pairs[partner].number, 0));
}

// Selects `wanted`; a value no entry carries is offered as unknown (a negative one selects none).
void SelectOrOfferUnknown(Choices& out, int wanted) {
    if (out.SelectData(wanted) || wanted < 0)
        return;
    OfferDeviceValue(out, wanted);
    out.SelectData(wanted);
}

Choices FixedChoices(std::initializer_list<std::string_view> texts, bool translate, int firstData, int wanted) {
    Choices out;
    int data = firstData;
    for (std::string_view text : texts)
        out.entries.push_back({std::string(text), translate, data++});
    SelectOrOfferUnknown(out, wanted);
    return out;
}

}  // namespace

std::optional<int> Choices::SelectedData() const {
    if (selected < 0 || static_cast<std::size_t>(selected) >= entries.size())
        return std::nullopt;
    return entries[static_cast<std::size_t>(selected)].data;
}

bool Choices::SelectData(int data) {
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const ChoiceEntry& e) { return e.data == data; });
    if (it == entries.end())
        return false;
    selected = static_cast<int>(it - entries.begin());
    return true;
}

ChoiceEntry UnknownEntry(int code, int data) {
    return {TranslateWithNumbers("Unknown (%d)", {code}), false, data, true};
}

void OfferDeviceValue(Choices& choices, int code) {
    if (std::none_of(choices.entries.begin(), choices.entries.end(),
                     [&](const ChoiceEntry& e) { return e.data == code; }))
        choices.entries.push_back(UnknownEntry(code, code));
}

Choices NetworkModeChoices(RadioBand band, int code) {
    Choices out;
    auto add = [&](const auto& modes) {
        for (const NetworkMode& mode : modes)
            out.entries.push_back({std::string(mode.key), true, mode.code});
    };
    if (band == RadioBand::kGhz24)
        add(kModes24);
    else
        add(kModes5);
    SelectOrOfferUnknown(out, code);
    return out;
}

Choices SecurityModeChoices(int code) {
    return FixedChoices({"None", "WEP", "WPA-PSK", "WPA2-PSK", "Mixed WPA/WPA2-PSK", "WPA", "WPA2"}, false, 0, code);
}

Choices CountryChoices(RadioBand band, std::optional<std::size_t> position) {
    Choices out;
    const auto countries = CountryList(band);
    for (std::size_t i = 0; i < countries.size(); ++i)
        out.entries.push_back({std::string(countries[i].name), true, static_cast<int>(i)});
    if (position && *position < countries.size())
        out.selected = static_cast<int>(*position);
    return out;
}

Choices ChannelChoices(std::string_view channelList, int wanted) {
    Choices out;
    for (const ChannelElement& e : SplitChannelList(channelList)) {
        if (e.number == 0)
            out.entries.push_back(AutoEntry());
        else if (!IsSkippedChannel(e.number))
            out.entries.push_back(NumberEntry(e.number, e.number));
    }
    if (out.entries.empty())
        out.entries.push_back(AutoEntry());
    if (!out.SelectData(wanted))
        out.selected = 0;
    return out;
}

Choices ExtensionChoices(const ExtensionQuery& query) {
    Choices out;
    out.enabled = ExtensionEnabled(query);
    if (!out.enabled)
        return out;
    if (query.rfType == 0)
        Fill24Extension(query, out);
    else
        Fill5Extension(query, out);
    if (out.entries.size() == 1)
        out.selected = 0;
    else if (out.entries.size() > 1)
        out.selected =
            query.wanted >= 0 && static_cast<std::size_t>(query.wanted) < out.entries.size() ? query.wanted : 0;
    return out;
}

WidthRadios InitialWidthRadios(RadioBand band) {
    WidthRadios radios;
    radios.thirdLabel = band == RadioBand::kGhz5 ? "80MHz" : "Auto";
    return radios;
}

void ApplyWidthRules(RadioBand band, int networkMode, WidthRadios& radios) {
    auto only20 = [&] {
        radios.enabled = {true, false, false};
        radios.checked = 0;
    };
    if (band == RadioBand::kGhz5) {
        switch (networkMode) {
        case 0: only20(); break;
        case 1:
            radios.enabled = {true, true, false};
            radios.checked = 0;
            break;
        case 2: radios.enabled = {true, true, true}; break;
        default: break;
        }
        return;
    }
    switch (networkMode) {
    case 0:
    case 1:
    case 2: only20(); break;
    case 3:
    case 4: radios.enabled = {true, true, true}; break;
    default: break;
    }
}

Choices WepAuthChoices(int authType) { return FixedChoices({"Open", "Share"}, false, 0, authType); }
Choices WepDefaultKeyChoices(int keyIndex) {
    return FixedChoices({"Key 1", "Key 2", "Key 3", "Key 4"}, true, 1, keyIndex);
}
Choices WepKeyTypeChoices(int type) { return FixedChoices({"ASCII", "Hex"}, false, 0, type); }
Choices WpaCipherChoices(int cipher) { return FixedChoices({"AES", "TKIP", "AES/TKIP"}, false, 0, cipher); }

SecurityVisibility VisibilityFor(int secureMode) {
    SecurityVisibility v;
    v.pskControls = IsPskMode(secureMode);
    v.wepForm = secureMode == kSecurityWep;
    v.wpaForm = IsRadiusMode(secureMode);
    return v;
}

}  // namespace cpe::actions
