// The wireless form of the configuration dialog with its WEP and WPA parts: device name, SSID,
// radio and security settings. The model holds the selections the form's rules depend on
// (country, network mode, channel width, channel, extension channel, security mode) and answers
// what every combo and radio offers; the typed texts and the other selections come in at
// collect, which checks them and builds the name and wireless blocks.
//
// The blocks start from the device's record and take only what the operator changed: a value
// the form cannot show (a radar channel, a mode or code outside the lists, bytes the local code
// set does not define) stays the device's unless the operator replaces it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "actions/config/check_failure.h"
#include "actions/config/wireless_choices.h"
#include "actions/config/wireless_rules.h"
#include "engine/payload_blocks.h"

namespace cpe::actions {

// Selections hold -1 where the device's value is none the combo or the radios offer: nothing is
// selected then, and the device's value is kept.
struct WepEntries {
    int authType = 0;    // 0 Open, 1 Shared
    int defaultKey = 1;  // 1-4
    WepKeyEntries keys;
};

struct WpaEntries {
    int cipher = 0;  // 0 AES, 1 TKIP, 2 AES/TKIP
    RadiusEntries radius;
};

// What the operator typed and ticked, as the form's controls hold it.
struct WirelessEntries {
    std::string location;
    std::string ssid;
    bool hideSsid = false;
    std::string power;
    int pskCipher = 0;  // 0 AES, 1 TKIP, 2 TKIP+AES
    std::string pskKey;
    std::string pskInterval;
    WepEntries wep;
    WpaEntries wpa;
};

struct WirelessCollected {
    std::optional<CheckFailure> failure;
    bool nameChanged = false;
    NameBlock name{};  // name in the local code set
    bool wirelessChanged = false;
    WirelessBlock wireless{};  // SSID in the local code set
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
    // from "Auto"; a new channel offers its own extension channels. What a choice resets counts
    // as chosen too.
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
    // The radio settings the operator chose, directly or through a choice that reset them.
    struct Chosen {
        bool country = false;
        bool networkMode = false;
        bool width = false;
        bool channel = false;
        bool extension = false;
    };

    const CountryEntry* SelectedCountry() const;
    void OfferDeviceChannel(int channel);
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
    Chosen chosen_;
    WirelessEntries initial_;
};

}  // namespace cpe::actions
