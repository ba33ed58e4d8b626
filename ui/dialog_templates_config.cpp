// Templates of the device configuration dialog and its forms, the bridge wizard and its steps,
// and the upgrade dialog.
#include "ui/dialog_template.h"
#include "ui/resource_ids.h"

namespace cpe {
namespace {

using K = ControlKind;

// Label and field rows of the forms: labels at x 10, fields at x 100, 18 units apart.
constexpr int kLabelX = 10, kFieldX = 100, kRow = 18, kTop = 8;
constexpr int RowY(int i) { return kTop + i * kRow; }
// The bridge wizard's WEP rows are closer, to fit below the 135th pixel of its security step.
constexpr int WepRowY(int i) { return 2 + i * 16; }
constexpr int kBridgeWidth = 410;
constexpr int kIpLabelX = (kBridgeWidth - 190) / 2;   // the IP step's labels and fields, centred
// Rows of the wireless form's sub-forms, which continue the form's rows without a top margin.
constexpr int SubRowY(int i) { return i * kRow; }

const std::vector<DialogTemplate> kConfig = {
    // Device configuration dialog: title strip, four tabs, the form area (forms sit at 8, 46),
    // Save and Cancel.
    {ids::kManagementConfigDlg, "CManagementConfigDlg", 330, 318, kDlgPopup, "Device management",
     {
         {ids::config::kTitleStrip, K::SkinLabel, "", 0, 0, 330, 20},
         {ids::config::kTitle, K::SkinLabel, "Device management", 8, 5, 200, 10},
         {ids::config::kCloseBox, K::PictureButton, "", 314, 4, 12, 11},
         {ids::config::kWirelessTab, K::PictureButton, "WirelessSet", 8, 24, 64, 19},
         {ids::config::kIpTab, K::PictureButton, "IPSET", 72, 24, 64, 19},
         {ids::config::kVlanTab, K::PictureButton, "VLAN", 136, 24, 64, 19},
         {ids::config::kTimeRebootTab, K::PictureButton, "TimeReboot", 200, 24, 64, 19},
         {ids::config::kTabLine, K::Picture, "", 0, 43, 330, 1},
         {ids::config::kButtonLine, K::Picture, "", 0, 292, 330, 1},
         {ids::config::kSaveButton, K::PictureButton, "Save", 196, 297, 50, 16},
         {ids::config::kCancelButton, K::PictureButton, "Cancel", 254, 297, 50, 16},
     }},
    // Wireless form; the WEP and WPA sub-forms cover rows 8 to 12 when their mode is chosen.
    {ids::kWirelessSetDlg, "CWirelessSetDlg", 314, 244, kDlgChild, "",
     {
         {-1, K::Label, "Location", kLabelX, RowY(0) + 2, 88, 8},
         {ids::wireless_set::kLocation, K::Edit, "", kFieldX, RowY(0), 120, 12},
         {-1, K::Label, "SSID", kLabelX, RowY(1) + 2, 88, 8},
         {ids::wireless_set::kSsid, K::Edit, "", kFieldX, RowY(1), 120, 12},
         {ids::wireless_set::kHideSsid, K::CheckBox, "Hide SSID", 228, RowY(1) + 1, 80, 10},
         {-1, K::Label, "Network mode", kLabelX, RowY(2) + 2, 88, 8},
         {ids::wireless_set::kNetworkMode, K::DropList, "", kFieldX, RowY(2), 120, 80},
         {-1, K::Label, "Channel width", kLabelX, RowY(3) + 2, 88, 8},
         {ids::wireless_set::kWidth20, K::RadioButton, "20MHz", kFieldX, RowY(3) + 1, 44, 10},
         {ids::wireless_set::kWidth40, K::RadioButton, "40MHz", 146, RowY(3) + 1, 44, 10},
         {ids::wireless_set::kWidthThird, K::RadioButton, "", 192, RowY(3) + 1, 10, 10},
         {ids::wireless_set::kWidthThirdLabel, K::Label, "80MHz", 204, RowY(3) + 2, 40, 8},
         {-1, K::Label, "Power", kLabelX, RowY(4) + 2, 88, 8},
         {ids::wireless_set::kPower, K::Edit, "", kFieldX, RowY(4), 40, 12, kCtlNumber},
         {ids::wireless_set::kPowerRange, K::Label, "(8-26)", 146, RowY(4) + 2, 60, 8},
         {-1, K::Label, "Country", kLabelX, RowY(5) + 2, 88, 8},
         {ids::wireless_set::kCountry, K::DropList, "", kFieldX, RowY(5), 120, 120},
         {-1, K::Label, "Channel", kLabelX, RowY(6) + 2, 88, 8},
         {ids::wireless_set::kChannel, K::DropList, "", kFieldX, RowY(6), 60, 120},
         {-1, K::Label, "Extension channel", 166, RowY(6) + 2, 70, 8},
         {ids::wireless_set::kExtension, K::DropList, "", 238, RowY(6), 60, 60},
         {-1, K::Label, "SecureMode", kLabelX, RowY(7) + 2, 88, 8},
         {ids::wireless_set::kSecurityMode, K::DropList, "", kFieldX, RowY(7), 120, 100},
         {ids::wireless_set::kPskCipherLabel, K::Label, "Encryption_Type", kLabelX, RowY(8) + 2, 88, 8},
         {ids::wireless_set::kPskAes, K::RadioButton, "AES", kFieldX, RowY(8) + 1, 40, 10},
         {ids::wireless_set::kPskTkip, K::RadioButton, "TKIP", 142, RowY(8) + 1, 40, 10},
         {ids::wireless_set::kPskTkipAes, K::RadioButton, "TKIPAES", 184, RowY(8) + 1, 60, 10},
         {ids::wireless_set::kKeyIntervalLabel, K::Label, "Key update interval", kLabelX, RowY(9) + 2, 88, 8},
         {ids::wireless_set::kKeyInterval, K::Edit, "", kFieldX, RowY(9), 40, 12, kCtlNumber},
         {ids::wireless_set::kPskKeyLabel, K::Label, "Key", kLabelX, RowY(10) + 2, 88, 8},
         {ids::wireless_set::kPskKey, K::Edit, "", kFieldX, RowY(10), 180, 12},
     }},
    // WEP sub-form of the wireless form.
    {ids::kWepDlg, "CWepDlg", 300, 88, kDlgChild, "",
     {
         {-1, K::Label, "Authentication", kLabelX, SubRowY(0) + 2, 88, 8},
         {ids::wep::kAuthentication, K::DropList, "", kFieldX, SubRowY(0), 70, 40},
         {-1, K::Label, "Default_key", 180, SubRowY(0) + 2, 50, 8},
         {ids::wep::kDefaultKey, K::DropList, "", 232, SubRowY(0), 60, 60},
         {-1, K::Label, "Key1", kLabelX, SubRowY(1) + 2, 88, 8},
         {ids::wep::kKeys[0], K::Edit, "", kFieldX, SubRowY(1), 120, 12},
         {ids::wep::kKeyTypes[0], K::DropList, "", 228, SubRowY(1), 50, 40},
         {-1, K::Label, "Key2", kLabelX, SubRowY(2) + 2, 88, 8},
         {ids::wep::kKeys[1], K::Edit, "", kFieldX, SubRowY(2), 120, 12},
         {ids::wep::kKeyTypes[1], K::DropList, "", 228, SubRowY(2), 50, 40},
         {-1, K::Label, "Key3", kLabelX, SubRowY(3) + 2, 88, 8},
         {ids::wep::kKeys[2], K::Edit, "", kFieldX, SubRowY(3), 120, 12},
         {ids::wep::kKeyTypes[2], K::DropList, "", 228, SubRowY(3), 50, 40},
         {-1, K::Label, "Key4", kLabelX, SubRowY(4) + 2, 88, 8},
         {ids::wep::kKeys[3], K::Edit, "", kFieldX, SubRowY(4), 120, 12},
         {ids::wep::kKeyTypes[3], K::DropList, "", 228, SubRowY(4), 50, 40},
     }},
    // WPA (RADIUS) sub-form of the wireless form.
    {ids::kWpaDlg, "CWpaDlg", 300, 88, kDlgChild, "",
     {
         {-1, K::Label, "Encryption_Type", kLabelX, SubRowY(0) + 2, 88, 8},
         {ids::wpa::kCipher, K::DropList, "", kFieldX, SubRowY(0), 70, 50},
         {-1, K::Label, "RADIUS server", kLabelX, SubRowY(1) + 2, 88, 8},
         {ids::wpa::kServer, K::IpAddress, "", kFieldX, SubRowY(1), 100, 12},
         {-1, K::Label, "RADIUS port", kLabelX, SubRowY(2) + 2, 88, 8},
         {ids::wpa::kPort, K::Edit, "", kFieldX, SubRowY(2), 40, 12, kCtlNumber},
         {-1, K::Label, "RADIUS key", kLabelX, SubRowY(3) + 2, 88, 8},
         {ids::wpa::kKey, K::Edit, "", kFieldX, SubRowY(3), 120, 12},
         {-1, K::Label, "Key update interval", kLabelX, SubRowY(4) + 2, 88, 8},
         {ids::wpa::kKeyInterval, K::Edit, "", kFieldX, SubRowY(4), 40, 12, kCtlNumber},
     }},
    // IP form.
    {ids::kIpSetDlg, "CIPSetDlg", 314, 244, kDlgChild, "",
     {
         {-1, K::Label, "IP_Address", kLabelX, RowY(0) + 2, 88, 8},
         {ids::ip_set::kIp, K::IpAddress, "", kFieldX, RowY(0), 100, 12},
         {-1, K::Label, "Sub_Network", kLabelX, RowY(1) + 2, 88, 8},
         {ids::ip_set::kMask, K::IpAddress, "", kFieldX, RowY(1), 100, 12},
         {-1, K::Label, "Gate_Way", kLabelX, RowY(2) + 2, 88, 8},
         {ids::ip_set::kGateway, K::IpAddress, "", kFieldX, RowY(2), 100, 12},
         {-1, K::Label, "Major_Dns", kLabelX, RowY(3) + 2, 88, 8},
         {ids::ip_set::kPrimaryDns, K::IpAddress, "", kFieldX, RowY(3), 100, 12},
         {-1, K::Label, "Dns", kLabelX, RowY(4) + 2, 88, 8},
         {ids::ip_set::kSecondaryDns, K::IpAddress, "", kFieldX, RowY(4), 100, 12},
     }},
    // VLAN form.
    {ids::kVlanDlg, "CVlanDlg", 314, 244, kDlgChild, "",
     {
         {ids::vlan::kEnable, K::CheckBox, "Enable", kLabelX, RowY(0) + 1, 88, 10},
         {-1, K::Label, "Manage VLAN", kLabelX, RowY(1) + 2, 88, 8},
         {ids::vlan::kManage, K::Edit, "", kFieldX, RowY(1), 40, 12, kCtlNumber},
         {-1, K::Label, "WLAN", kLabelX, RowY(2) + 2, 88, 8},
         {ids::vlan::kWlan, K::Edit, "", kFieldX, RowY(2), 40, 12, kCtlNumber},
         {ids::vlan::kLanLabel, K::Label, "LAN", kLabelX, RowY(3) + 2, 88, 8},
         {ids::vlan::kLan, K::Edit, "", kFieldX, RowY(3), 40, 12, kCtlNumber},
     }},
    // Timed-reboot form: the day boxes three to a row, "Everyday" after Sunday.
    {ids::kTimeRebootDlg, "CTimeRebootDlg", 314, 244, kDlgChild, "",
     {
         {ids::time_reboot::kEnable, K::CheckBox, "Enable", kLabelX, RowY(0) + 1, 88, 10},
         {-1, K::Label, "Hour", kLabelX, RowY(1) + 2, 40, 8},
         {ids::time_reboot::kHour, K::Edit, "", 52, RowY(1), 24, 12, kCtlNumber},
         {-1, K::Label, "Minutes", 84, RowY(1) + 2, 40, 8},
         {ids::time_reboot::kMinute, K::Edit, "", 126, RowY(1), 24, 12, kCtlNumber},
         {ids::time_reboot::kWeekdays[0], K::CheckBox, "Monday", kLabelX, RowY(2) + 1, 70, 10},
         {ids::time_reboot::kWeekdays[1], K::CheckBox, "Tuesday", 84, RowY(2) + 1, 70, 10},
         {ids::time_reboot::kWeekdays[2], K::CheckBox, "Wednesday", 158, RowY(2) + 1, 70, 10},
         {ids::time_reboot::kWeekdays[3], K::CheckBox, "Thursday", kLabelX, RowY(3) + 1, 70, 10},
         {ids::time_reboot::kWeekdays[4], K::CheckBox, "Friday", 84, RowY(3) + 1, 70, 10},
         {ids::time_reboot::kWeekdays[5], K::CheckBox, "Saturday", 158, RowY(3) + 1, 70, 10},
         {ids::time_reboot::kWeekdays[6], K::CheckBox, "Sunday", kLabelX, RowY(4) + 1, 70, 10},
         {ids::time_reboot::kEveryday, K::CheckBox, "Everyday", 84, RowY(4) + 1, 70, 10},
     }},
    // Bridge wizard frame; the steps sit 35 pixels below its top. The wizard and its steps are
    // wide enough for the survey list's columns without scrolling sideways.
    {ids::kBridgeConfigDlg, "CBridgeConfigDlg", kBridgeWidth, 220, kDlgPopup, "Device bridge",
     {
         {ids::bridge_wizard::kTitleStrip, K::Label, "", 0, 0, kBridgeWidth, 20},
         {ids::bridge_wizard::kTitle, K::SkinLabel, "Device bridge", 8, 5, 200, 10},
         {ids::bridge_wizard::kCloseButton, K::PictureButton, "", kBridgeWidth - 15, 4, 12, 11},
         {ids::bridge_wizard::kBackButton, K::PictureButton, "Back", kBridgeWidth - 126, 200, 50, 16},
         {ids::bridge_wizard::kNextButton, K::PictureButton, "Next", kBridgeWidth - 66, 200, 50, 16},
     }},
    // Survey step.
    {ids::kBridgeSurveyDlg, "CBridgeSearcgAPDlg", kBridgeWidth, 170, kDlgChild, "",
     {
         {ids::bridge_survey::kCaption, K::SkinLabel, "SearchOtherAP", 8, 2, 120, 10},
         {ids::bridge_survey::kRefreshButton, K::PictureButton, "", 130, 1, 10, 10},
         {ids::bridge_survey::kBusyPicture, K::Picture, "", 150, 0, 16, 15, kCtlHidden},
         {ids::bridge_survey::kScanningLabel, K::SkinLabel, "Scanning...", 170, 2, 80, 10, kCtlHidden},
         {ids::bridge_survey::kGrid, K::Grid, "", 4, 16, kBridgeWidth - 8, 150},
     }},
    // Security step; the WEP sub-form covers the cipher and key rows (hidden in WEP mode).
    {ids::kBridgeSecureDlg, "CBridgeSecureDlg", kBridgeWidth, 170, kDlgChild, "",
     {
         {ids::bridge_secure::kSsidLabel, K::Label, "BridgeSSID", kLabelX, RowY(0) + 2, 88, 8},
         {ids::bridge_secure::kSsidEdit, K::Edit, "", kFieldX, RowY(0), 140, 12},
         {ids::bridge_secure::kChannelLabel, K::Label, "Channel", kLabelX, RowY(1) + 2, 88, 8},
         {ids::bridge_secure::kChannelList, K::DropList, "", kFieldX, RowY(1), 60, 120},
         {ids::bridge_secure::kSecurityModeLabel, K::Label, "SecureMode", kLabelX, RowY(2) + 2, 88, 8},
         {ids::bridge_secure::kSecurityModeList, K::DropList, "", kFieldX, RowY(2), 120, 80},
         {ids::bridge_secure::kCipherLabel, K::Label, "Encryption_Type", kLabelX, RowY(3) + 2, 88, 8},
         {ids::bridge_secure::kAesRadio, K::RadioButton, "", kFieldX, RowY(3) + 1, 10, 10},
         {ids::bridge_secure::kAesText, K::Label, "AES", kFieldX + 12, RowY(3) + 2, 28, 8},
         {ids::bridge_secure::kTkipRadio, K::RadioButton, "", 144, RowY(3) + 1, 10, 10},
         {ids::bridge_secure::kTkipText, K::Label, "TKIP", 156, RowY(3) + 2, 28, 8},
         {ids::bridge_secure::kTkipAesRadio, K::RadioButton, "", 188, RowY(3) + 1, 10, 10},
         {ids::bridge_secure::kTkipAesText, K::Label, "TKIPAES", 200, RowY(3) + 2, 50, 8},
         {ids::bridge_secure::kKeyLabel, K::Label, "WirelessKey", kLabelX, RowY(4) + 2, 88, 8},
         {ids::bridge_secure::kKeyEdit, K::Edit, "", kFieldX, RowY(4), 180, 12},
     }},
    // WEP sub-form of the security step, in the 86 units below its 135th pixel.
    {ids::kBridgeWepDlg, "CBridgeWepDlg", kBridgeWidth, 86, kDlgChild, "",
     {
         {1105, K::Label, "Authentication", kLabelX, WepRowY(0) + 2, 88, 8},
         {ids::bridge_wep::kAuthList, K::DropList, "", kFieldX, WepRowY(0), 70, 40},
         {1106, K::Label, "Default_key", 180, WepRowY(0) + 2, 50, 8},
         {ids::bridge_wep::kDefaultKeyList, K::DropList, "", 232, WepRowY(0), 60, 60},
         {1108, K::Label, "Key1", kLabelX, WepRowY(1) + 2, 88, 8},
         {ids::bridge_wep::kKeyEdits[0], K::Edit, "", kFieldX, WepRowY(1), 120, 12},
         {ids::bridge_wep::kKeyTypeLists[0], K::DropList, "", 228, WepRowY(1), 50, 40},
         {1109, K::Label, "Key2", kLabelX, WepRowY(2) + 2, 88, 8},
         {ids::bridge_wep::kKeyEdits[1], K::Edit, "", kFieldX, WepRowY(2), 120, 12},
         {ids::bridge_wep::kKeyTypeLists[1], K::DropList, "", 228, WepRowY(2), 50, 40},
         {1111, K::Label, "Key3", kLabelX, WepRowY(3) + 2, 88, 8},
         {ids::bridge_wep::kKeyEdits[2], K::Edit, "", kFieldX, WepRowY(3), 120, 12},
         {ids::bridge_wep::kKeyTypeLists[2], K::DropList, "", 228, WepRowY(3), 50, 40},
         {1113, K::Label, "Key4", kLabelX, WepRowY(4) + 2, 88, 8},
         {ids::bridge_wep::kKeyEdits[3], K::Edit, "", kFieldX, WepRowY(4), 120, 12},
         {ids::bridge_wep::kKeyTypeLists[3], K::DropList, "", 228, WepRowY(4), 50, 40},
     }},
    // IP step.
    {ids::kBridgeIpDlg, "CBridgeIPSetDlg", kBridgeWidth, 170, kDlgChild, "",
     {
         {ids::bridge_ip::kHint, K::Label, "Toptip", 10, 4, kBridgeWidth - 20, 10, kCtlCentre},
         {1069, K::Label, "IP_Address", kIpLabelX, 24, 88, 8},
         {ids::bridge_ip::kAddressFields[0], K::IpAddress, "", kIpLabelX + 90, 22, 100, 12},
         {1068, K::Label, "Sub_Network", kIpLabelX, 42, 88, 8},
         {ids::bridge_ip::kAddressFields[1], K::IpAddress, "", kIpLabelX + 90, 40, 100, 12},
         {1046, K::Label, "Gate_Way", kIpLabelX, 60, 88, 8},
         {ids::bridge_ip::kAddressFields[2], K::IpAddress, "", kIpLabelX + 90, 58, 100, 12},
         {1049, K::Label, "Major_Dns", kIpLabelX, 78, 88, 8},
         {ids::bridge_ip::kAddressFields[3], K::IpAddress, "", kIpLabelX + 90, 76, 100, 12},
         {1050, K::Label, "Dns", kIpLabelX, 96, 88, 8},
         {ids::bridge_ip::kAddressFields[4], K::IpAddress, "", kIpLabelX + 90, 94, 100, 12},
     }},
    // Finish step.
    {ids::kBridgeFinishDlg, "CBridgeFinishDlg", kBridgeWidth, 170, kDlgChild, "",
     {
         {ids::bridge_finish::kPicture, K::PictureButton, "", (kBridgeWidth - 330) / 2, 4, 330, 132},
         {ids::bridge_finish::kText, K::Label, "You are configuring the device to work as Station mode.", 8, 142,
          kBridgeWidth - 16, 10, kCtlCentre},
     }},
    // Upgrade dialog: title strip, model and file choice; the progress bar and its label are
    // shown once an upgrade runs.
    {ids::kUpgradeConfigDlg, "CUpgradeConfigDlg", 280, 130, kDlgPopup, "Device upgrade",
     {
         {ids::upgrade_config::kTitleStrip, K::Label, "", 0, 0, 280, 18},
         {ids::upgrade_config::kTitle, K::SkinLabel, "Device upgrade", 8, 4, 200, 10},
         {ids::upgrade_config::kCloseButton, K::PictureButton, "", 266, 4, 11, 10},
         {-1, K::Label, "Type", 10, 30, 60, 8},
         {ids::upgrade_config::kTypeList, K::DropList, "", 72, 28, 100, 80},
         {-1, K::Label, "ChooseFile", 10, 50, 60, 8},
         {ids::upgrade_config::kFileEdit, K::Edit, "", 72, 48, 140, 12, kCtlReadOnly},
         {ids::upgrade_config::kScanButton, K::PictureButton, "Scan", 218, 46, 50, 16},
         {ids::upgrade_config::kSeparator, K::Picture, "", 10, 70, 260, 1},
         {ids::upgrade_config::kProgressLabel, K::Label, "Upgrade file transfer progress", 10, 80, 260, 8, kCtlHidden},
         {ids::upgrade_config::kProgress, K::Progress, "", 10, 92, 260, 10, kCtlHidden},
         {ids::upgrade_config::kUpgradeButton, K::PictureButton, "Upgrade", 218, 106, 50, 16},
     }},
};

}  // namespace

std::span<const DialogTemplate> ConfigTemplates()
{
    return kConfig;
}

}  // namespace cpe
