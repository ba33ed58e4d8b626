// The wireless form of the configuration dialog with its WEP and WPA parts: device name, SSID,
// radio and security settings. The model holds the selections the form's rules depend on
// (country, network mode, channel width, channel, extension channel, security mode) and answers
// what every combo and radio offers; the typed texts and the other selections come in at
// collect, which checks them and builds the name and wireless blocks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "actions/check_failure.h"
#include "actions/wireless_choices.h"
#include "actions/wireless_rules.h"
#include "engine/payload_blocks.h"

namespace cpe {

struct WepEntries {
    int authType = 0;     // 0 Open, 1 Shared
    int defaultKey = 1;   // 1-4
    WepKeyEntries keys;
};

struct WpaEntries {
    int cipher = 0;       // 0 AES, 1 TKIP, 2 AES/TKIP
    RadiusEntries radius;
};

// What the operator typed and ticked, as the form's controls hold it.
struct WirelessEntries {
    std::string location;
    std::string ssid;
    bool hideSsid = false;
    std::string power;
    int pskCipher = 0;    // 0 AES, 1 TKIP, 2 TKIP+AES; -1 when no cipher radio is checked
    std::string pskKey;
    std::string pskInterval;
    WepEntries wep;
    WpaEntries wpa;
};

struct WirelessCollected {
    std::optional<CheckFailure> failure;
    bool nameChanged = false;
    NameBlock name{};             // name in the local code set
    bool wirelessChanged = false;
    WirelessBlock wireless{};     // SSID in the local code set
};

class WirelessFormModel {
public:
    explicit WirelessFormModel(const ap_info_stu& device);

    // Station, Universal Repeater and Repeater devices show their settings read-only.
    bool Editable() const { return editable_; }
    RadioBand Band() const { return band_; }
    const WirelessEntries& InitialEntries() const { return initial_; }
    // The power range label, "(min-max)".
    std::string PowerRangeText() const;

    Choices Countries() const { return CountryChoices(band_, country_); }
    Choices NetworkModes() const { return NetworkModeChoices(band_, networkMode_); }
    const WidthRadios& Widths() const { return widths_; }
    const Choices& Channels() const { return channels_; }
    const Choices& Extensions() const { return extensions_; }
    Choices SecurityModes() const { return SecurityModeChoices(secureMode_); }
    SecurityVisibility Visibility() const { return VisibilityFor(secureMode_); }

    // Reactions to the operator's choices. A new country, network mode or width starts again
    // from "Auto"; a new channel offers its own extension channels.
    void SelectCountry(std::size_t position);
    void SelectNetworkMode(int code);
    void SelectWidth(int width);
    void SelectChannel(int channel);
    void SelectExtension(int data);
    void SelectSecurityMode(int code);

    // Checks the entries in the form's order and builds the name and wireless blocks. Fields of
    // the security modes not selected keep the device's values.
    WirelessCollected Collect(const WirelessEntries& entries) const;

private:
    const CountryEntry* SelectedCountry() const;
    void RefillChannels(int wanted);
    void RefillExtensions(int wanted);
    std::optional<CheckFailure> CheckEntries(const WirelessEntries& entries) const;
    void WriteRadio(ap_info_stu& record, const WirelessEntries& entries) const;
    void WriteSecurity(security_block& security, const WirelessEntries& entries) const;

    ap_info_stu device_;
    RadioBand band_;
    bool editable_;
    std::optional<std::size_t> country_;
    int networkMode_;
    WidthRadios widths_;
    Choices channels_;
    Choices extensions_;
    int secureMode_;
    WirelessEntries initial_;
};

}  // namespace cpe
