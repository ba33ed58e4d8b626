// The wireless form of the configuration dialog with its WEP and WPA parts: device name, SSID,
// radio and security settings. The model holds the selections the form's rules depend on
// (country, network mode, channel width, channel, extension channel, security mode) and answers
// what every combo and radio offers; the typed texts and the other selections come in at
// collect, which checks them and builds the name and wireless blocks.
//
// The blocks start from the device's record and take only what the operator changed: a value
// the form cannot offer (a radar channel, a mode or code outside the lists, shown as "Unknown
// (N)", bytes the local code set does not define) stays the device's unless the operator replaces
// it. A form the operator did not touch is neither checked nor sent, so a device whose own
// settings would fail the checks (an empty or unprintable key) never blocks a Save of its other
// forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "actions/config/check_failure.h"
#include "actions/config/wireless_choices.h"
#include "actions/config/wireless_rules.h"
#include "engine/payload_blocks.h"

namespace cpe::actions {

// Combo selections hold the item data of the entry chosen, the device's own value for its
// unknown entry; the cipher radios hold -1 where the device's value is none of them, and the
// device's value is kept.
struct WepEntries {
    int authType = 0;    // 0 Open, 1 Shared
    int defaultKey = 1;  // 1-4
    WepKeyEntries keys;

    bool operator==(const WepEntries&) const = default;
};

struct WpaEntries {
    int cipher = 0;  // 0 AES, 1 TKIP, 2 AES/TKIP
    RadiusEntries radius;

    bool operator==(const WpaEntries&) const = default;
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

    bool operator==(const WirelessEntries&) const = default;
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

    // The combos of the lists; a device value they do not hold stays on offer as unknown (the
    // country's unknown entry comes last, its position one past the band's countries).
    Choices Countries() const;
    Choices NetworkModes() const;
    const WidthRadios& Widths() const { return widths_; }
    const Choices& Channels() const { return channels_; }
    const Choices& Extensions() const { return extensions_; }
    Choices SecurityModes() const;
    SecurityVisibility Visibility() const { return VisibilityFor(secureMode_); }

    // Reactions to the operator's choices. A new country, network mode or width starts again
    // from "Auto"; a new channel offers its own extension channels. What a choice resets counts
    // as chosen too. Choosing an unknown entry again keeps the device's value.
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

        bool Any() const { return country || networkMode || width || channel || extension; }
    };

    bool Untouched(const WirelessEntries& entries) const;
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
