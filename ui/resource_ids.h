// The dialog and control identifiers of the program, in one place as a resource script keeps
// them. A dialog id names a template (ui/dialog_templates_*.cpp) and, for a page, the page; a
// control id is unique only within its dialog, so controls are listed under their dialog.
#pragma once

#include <array>

namespace cpe::ids {

// ---- dialogs and pages --------------------------------------------------------------------
inline constexpr int kAboutDlg = 100;
inline constexpr int kApplicationDlg = 102;
inline constexpr int kChildDlg = 129;
inline constexpr int kMenuDlg = 130;
inline constexpr int kStatusDlg = 133;
inline constexpr int kManagementDlg = 134;
inline constexpr int kBridgeDlg = 135;
inline constexpr int kRebootDlg = 136;
inline constexpr int kUpgradeDlg = 137;
inline constexpr int kRestoreDlg = 138;
inline constexpr int kInstallHelpDlg = 139;
inline constexpr int kUpgradeConfigDlg = 140;
inline constexpr int kManagementConfigDlg = 141;
inline constexpr int kTimeRebootDlg = 142;
inline constexpr int kIpSetDlg = 143;
inline constexpr int kWirelessSetDlg = 144;
inline constexpr int kBridgeConfigDlg = 145;
inline constexpr int kBridgeIpDlg = 146;
inline constexpr int kBridgeSecureDlg = 147;
inline constexpr int kBridgeFinishDlg = 148;
inline constexpr int kBridgeSurveyDlg = 149;
inline constexpr int kWepDlg = 151;
inline constexpr int kWpaDlg = 152;
inline constexpr int kBridgeWepDlg = 153;
inline constexpr int kSystemToolDlg = 155;
inline constexpr int kWaitDlg = 156;
inline constexpr int kVlanDlg = 157;
inline constexpr int kInventoryDlg = 158;
inline constexpr int kHistoryDlg = 159;
inline constexpr int kRestoreSettingsDlg = 160;
inline constexpr int kApplySettingsDlg = 161;

// The six device list pages and the Inventory page share their list mechanics.
inline constexpr int kFirstListPage = kStatusDlg;
inline constexpr int kLastListPage = kRestoreDlg;
constexpr bool IsListPage(int dialogId) {
    return (dialogId >= kFirstListPage && dialogId <= kLastListPage) || dialogId == kInventoryDlg;
}

// ---- main window ----------------------------------------------------------------------------
namespace application {
inline constexpr int kCloseButton = 1000;
inline constexpr int kHelpButton = 1001;
inline constexpr int kMinButton = 1002;
}  // namespace application

// ---- menu panel -----------------------------------------------------------------------------
namespace menu {
inline constexpr int kSystemToolButton = 1001;
inline constexpr int kBridgeButton = 1003;
inline constexpr int kStatusButton = 1004;
inline constexpr int kRestoreButton = 1005;
inline constexpr int kUpgradeButton = 1006;
inline constexpr int kManagementButton = 1007;
inline constexpr int kInstallHelpButton = 1008;
inline constexpr int kRebootButton = 1009;
inline constexpr int kInventoryButton = 1010;
inline constexpr int kVersionLabel = 1024;
// The page buttons from top to bottom.
inline constexpr std::array<int, 9> kPageButtons = {kStatusButton,    kManagementButton, kBridgeButton,
                                                    kRebootButton,    kUpgradeButton,    kRestoreButton,
                                                    kInventoryButton, kSystemToolButton, kInstallHelpButton};
}  // namespace menu

// ---- wait popup -----------------------------------------------------------------------------
namespace wait {
inline constexpr int kCloseButton = 1000;
inline constexpr int kProgress = 1136;
inline constexpr int kTitleStrip = 1131;
inline constexpr int kTitle = 1142;
inline constexpr int kText = 1130;
}  // namespace wait

// ---- install-help page ----------------------------------------------------------------------
namespace install_help {
inline constexpr int kPicture = 102;
inline constexpr int kHint = 1130;
}  // namespace install_help

// ---- About box --------------------------------------------------------------------------------
namespace about {
inline constexpr int kProgramName = 1000;  // the program's name, followed by its version
}  // namespace about

// ---- device list pages ----------------------------------------------------------------------
namespace list_page {
inline constexpr int kRebootButton = 1001;   // reboot page
inline constexpr int kRestoreButton = 1001;  // restore page
inline constexpr int kSearchButton = 1003;   // status page: the discovery run
inline constexpr int kUpgradeButton = 1006;  // upgrade page
inline constexpr int kSearchEdit = 1009;
inline constexpr int kSearchFrameLeft = 1010;
inline constexpr int kSearchFrameRight = 1011;
inline constexpr int kSeparator = 1012;
inline constexpr int kPageSize = 1013;
inline constexpr int kPageSizeLabel = 1014;
inline constexpr int kPager = 1016;
inline constexpr int kOnlineCount = 1017;
inline constexpr int kRefreshButton = 1074;
inline constexpr int kHint = 1130;
inline constexpr int kBusyPicture = 1138;  // status page: the discovery run animation
// The grid of each page.
inline constexpr int kStatusGrid = 1015;
inline constexpr int kManagementGrid = 1018;
inline constexpr int kBridgeGrid = 1019;
inline constexpr int kUpgradeGrid = 1096;
inline constexpr int kRestoreGrid = 1097;
inline constexpr int kRebootGrid = 1128;
inline constexpr int kInventoryGrid = 1020;
// Inventory page: which devices it lists (all, online, offline).
inline constexpr int kFilterLabel = 1021;
inline constexpr int kFilterList = 1022;
}  // namespace list_page

// ---- fleet dialogs: a device's history, restoring its settings, applying them to others ------
namespace fleet {
inline constexpr int kActionButton = 1001;  // "Restore", "Apply"
inline constexpr int kCloseBox = 1003;
inline constexpr int kBackupList = 1013;
inline constexpr int kGrid = 1015;
inline constexpr int kDevice = 1017;  // the device's name and MAC
inline constexpr int kResult = 1026;
inline constexpr int kCloseButton = 1027;
inline constexpr int kSeparator = 1092;
inline constexpr int kShowKeys = 1123;
inline constexpr int kHint = 1130;
inline constexpr int kTitleStrip = 1131;
inline constexpr int kTitle = 1139;
// Restore settings: the blocks to send.
inline constexpr int kNameBlock = 1033;
inline constexpr int kWirelessBlock = 1034;
inline constexpr int kVlanBlock = 1035;
inline constexpr int kTimedRebootBlock = 1036;
inline constexpr int kIpBlock = 1037;
}  // namespace fleet

// ---- bridge wizard and its steps -------------------------------------------------------------
namespace bridge_wizard {
inline constexpr int kBackButton = 1001;
inline constexpr int kCloseButton = 1003;
inline constexpr int kNextButton = 1074;
inline constexpr int kTitleStrip = 1131;
inline constexpr int kTitle = 1139;
inline constexpr int kStepLabel = 1143;  // "Step N of 4"
}  // namespace bridge_wizard

namespace bridge_survey {
inline constexpr int kRefreshButton = 1003;
inline constexpr int kGrid = 1015;
inline constexpr int kCaption = 1073;
inline constexpr int kBusyPicture = 1140;
inline constexpr int kScanningLabel = 1141;
}  // namespace bridge_survey

namespace bridge_secure {
inline constexpr int kSsidEdit = 1010;
inline constexpr int kChannelList = 1013;
inline constexpr int kKeyEdit = 1054;
inline constexpr int kSecurityModeList = 1071;
inline constexpr int kSsidLabel = 1083;
inline constexpr int kChannelLabel = 1084;
inline constexpr int kSecurityModeLabel = 1085;
inline constexpr int kKeyLabel = 1086;
inline constexpr int kAesText = 1087;
inline constexpr int kTkipText = 1090;
inline constexpr int kCipherLabel = 1105;
inline constexpr int kTkipAesText = 1122;
inline constexpr int kAesRadio = 1125;
inline constexpr int kTkipRadio = 1126;
inline constexpr int kTkipAesRadio = 1127;
inline constexpr int kWepFormTop = 135;  // pixels below the step's top edge
}  // namespace bridge_secure

namespace bridge_wep {
inline constexpr int kAuthList = 1013;
inline constexpr int kDefaultKeyList = 1071;
inline constexpr std::array<int, 4> kKeyEdits = {1009, 1010, 1011, 1012};
inline constexpr std::array<int, 4> kKeyTypeLists = {1107, 1110, 1112, 1114};
}  // namespace bridge_wep

namespace bridge_ip {
inline constexpr std::array<int, 5> kAddressFields = {1041, 1042, 1043, 1044, 1045};  // IP, mask, gateway, DNS 1, 2
inline constexpr int kHint = 1124;
}  // namespace bridge_ip

namespace bridge_finish {
inline constexpr int kPicture = 1003;
inline constexpr int kText = 1117;
inline constexpr int kAnswer = 1118;
// The summary of what Save sends: a label and a value a row.
inline constexpr std::array<int, 7> kSummaryLabels = {1150, 1151, 1152, 1153, 1154, 1155, 1156};
inline constexpr std::array<int, 7> kSummaryValues = {1160, 1161, 1162, 1163, 1164, 1165, 1166};
}  // namespace bridge_finish

// ---- upgrade dialog -------------------------------------------------------------------------
namespace upgrade_config {
inline constexpr int kScanButton = 1001;
inline constexpr int kCloseButton = 1003;
inline constexpr int kUpgradeButton = 1006;
inline constexpr int kFileEdit = 1009;
inline constexpr int kTypeList = 1013;
inline constexpr int kProgressLabel = 1026;
inline constexpr int kProgress = 1091;
inline constexpr int kSeparator = 1092;
inline constexpr int kTitleStrip = 1131;
inline constexpr int kTitle = 1139;
}  // namespace upgrade_config

// ---- adapter page ---------------------------------------------------------------------------
namespace system_tool {
inline constexpr int kSeparator = 1012;
inline constexpr int kCount = 1017;
inline constexpr int kGrid = 1103;
inline constexpr int kHint = 1130;
}  // namespace system_tool

// ---- device configuration dialog and its forms ----------------------------------------------
namespace config {
inline constexpr int kSaveButton = 1001;
inline constexpr int kWirelessTab = 1003;
inline constexpr int kIpTab = 1004;
inline constexpr int kCloseBox = 1005;
inline constexpr int kTimeRebootTab = 1009;
inline constexpr int kCancelButton = 1027;
inline constexpr int kVlanTab = 1074;
inline constexpr int kTitleStrip = 1131;
inline constexpr int kTitle = 1142;
inline constexpr int kTabLine = 1150;     // separator under the tab row
inline constexpr int kButtonLine = 1151;  // separator over Save and Cancel
}  // namespace config

namespace wireless_set {
inline constexpr int kLocation = 1009;
inline constexpr int kSsid = 1010;
inline constexpr int kNetworkMode = 1013;
inline constexpr int kChannel = 1014;
inline constexpr int kSecurityMode = 1015;
inline constexpr int kPskAes = 1051;
inline constexpr int kPskTkip = 1052;
inline constexpr int kPskTkipAes = 1053;
inline constexpr int kPskKey = 1054;
inline constexpr int kPower = 1056;
inline constexpr int kCountry = 1071;
inline constexpr int kKeyInterval = 1072;
inline constexpr int kExtension = 1094;
inline constexpr int kWidth20 = 1099;
inline constexpr int kWidth40 = 1100;
inline constexpr int kWidthThird = 1101;
inline constexpr int kWidthThirdLabel = 1102;
inline constexpr int kHideSsid = 1123;
inline constexpr int kPowerRange = 1149;
inline constexpr int kPskCipherLabel = 1150;
inline constexpr int kKeyIntervalLabel = 1151;
inline constexpr int kPskKeyLabel = 1152;
}  // namespace wireless_set

namespace wep {
inline constexpr int kAuthentication = 1013;
inline constexpr int kDefaultKey = 1071;
inline constexpr std::array<int, 4> kKeys = {1009, 1010, 1011, 1012};
inline constexpr std::array<int, 4> kKeyTypes = {1107, 1110, 1112, 1114};
}  // namespace wep

namespace wpa {
inline constexpr int kPort = 1009;
inline constexpr int kCipher = 1013;
inline constexpr int kKey = 1072;
inline constexpr int kServer = 1111;
inline constexpr int kKeyInterval = 1115;
}  // namespace wpa

namespace ip_set {
inline constexpr int kIp = 1041;
inline constexpr int kMask = 1042;
inline constexpr int kGateway = 1043;
inline constexpr int kPrimaryDns = 1044;
inline constexpr int kSecondaryDns = 1045;
}  // namespace ip_set

namespace vlan {
inline constexpr int kManage = 1009;
inline constexpr int kWlan = 1072;
inline constexpr int kLan = 1073;
inline constexpr int kEnable = 1143;
inline constexpr int kLanLabel = 1148;
}  // namespace vlan

namespace time_reboot {
inline constexpr int kHour = 1009;
inline constexpr int kMinute = 1010;
inline constexpr int kEnable = 1028;
// Monday .. Sunday, then "Everyday".
inline constexpr std::array<int, 7> kWeekdays = {1033, 1034, 1035, 1036, 1037, 1038, 1039};
inline constexpr int kEveryday = 1040;
}  // namespace time_reboot

}  // namespace cpe::ids
