// Colours, fonts and picture paths of the skin. Read once at start-up from "Setting.ini" and the
// "Skin" folder next to the program; every window then takes its look from here. Colours are
// kept in the Windows form 0x00BBGGRR the settings file describes; widgets convert them at the
// edge (skin_qt.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cpe {

using ColorRef = std::uint32_t;

constexpr ColorRef Rgb(int r, int g, int b) {
    return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }

// A font description in the terms of the settings file: a face, a cell height in pixels and a
// weight (0 default, 700 bold). The face holds at most 31 characters, longer names are cut.
struct LogFont {
    static constexpr std::size_t kFaceChars = 31;
    int height = 0;
    int weight = 0;
    std::string faceName;
};

struct SkinPaths {
    std::string mainBk, mainLeftBk;
    std::string menuSearchNormal, menuSearchDown, menuWirelessNormal, menuWirelessDown;
    std::string menuInventoryNormal, menuInventoryDown;
    std::string closeNormal, minNormal, helpNormal;
    std::string helpProduct, helpSupport, helpContact, helpHelp;
    std::string btnSearch, btnUpdateNormal, btnUpdateDown, line;
    std::string btnPie, btnPie2, waitSearch;
    // Locale dependent (Chinese or other). web and bridge are strips of 50 x 16 icons: image 0 is
    // the action of the "Operate" column, image i the status code i; inventory's image 0 is the
    // Inventory page's actions, 1 an online device and 2 an offline one.
    std::string web, bridge, inventory, help;
    std::string btnConfig, configBtn, closeConfig;
    std::string wirelessBasic, wirelessConfig, grayLine, orangeLine, write, bridgeFinish;
    std::string signalStrength[6];
    std::string closeWait, applicationIcon;
    // Built and kept for completeness; no window shows them.
    std::vector<std::string> spare;
};

struct SkinSettings {
    ColorRef childBkColor = 0;
    std::string buttonMenuFontName;
    int buttonMenuFontWeight = 0;
    int buttonMenuFontHeight = 0;
    ColorRef buttonMenuFontColor = 0;
    int buttonFontWeight = 0;
    int buttonFontHeight = 0;
    ColorRef buttonFontColor = 0;
    int staticFontWeight = 0;
    int staticFontHeight = 0;
    ColorRef staticFontTextColor = 0;
    ColorRef staticFontBkColor = 0;
    ColorRef textDownColor = 0;
    ColorRef lineColor = 0;
    ColorRef expertTextColor = 0;
    ColorRef staticTextNumberColor = 0;
    int gridTitleFontWeight = 0;
    int gridTitleFontHeight = 0;
    int gridFontWeight = 0;
    int gridFontHeight = 0;
    ColorRef gridTextColor = 0;
    ColorRef gridTitleTextColor = 0;
    ColorRef gridTitleBkColor = 0;
    ColorRef textUnlineColor = 0;
    ColorRef textOnlineColor = 0;

    LogFont gridTitleFont;
    LogFont gridFont;
    std::string versionText;
    std::string programDir;
    SkinPaths paths;
};

// Splits a colour text "r,g,b" (fields may be quoted) and stores it; false leaves `color` as is.
bool ParseColor(std::string_view text, ColorRef& color);
// The C integer rule: leading blanks skipped, optional sign, digits up to the first non-digit.
int ParseSettingInt(std::string_view text);
// One value of "<programDir>Setting.ini", cut to 63 characters.
std::string ReadSetting(std::string_view programDir, std::string_view section, std::string_view key,
                        std::string_view defaultValue);

// Reads every key in the file's order into `skin`, builds the grid fonts, and stores the version
// text and the program folder.
void LoadSkinSettings(SkinSettings& skin, std::string_view programDir, std::string_view versionText);
// Builds every picture path; `lcid` 2052 picks the Chinese variants.
void InitSkinPaths(SkinSettings& skin, std::string_view programDir, std::uint16_t lcid);

// The process-wide skin the widgets read. The application object installs its own; until then
// the settings file defaults are returned.
const SkinSettings& Skin();
void InstallSkin(const SkinSettings* skin);

}  // namespace cpe
