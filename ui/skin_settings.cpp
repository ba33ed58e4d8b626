#include "ui/skin_settings.h"

#include "platform/ini_file.h"

#include <atomic>
#include <climits>

namespace cpe {
namespace {

constexpr std::size_t kSettingBufferChars = 64;

// Fields of a comma list; a quoted field runs to its matching quote (or the end), an empty
// field between commas counts, an empty trailing field does not.
std::vector<std::string> SplitFields(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        std::string field;
        while (i < n && text[i] != ',') {
            const char c = text[i];
            if (c == '"' || c == '\'') {
                const std::size_t close = text.find(c, i + 1);
                const std::size_t end = close == std::string_view::npos ? n : close;
                field.append(text.substr(i + 1, end - i - 1));
                i = close == std::string_view::npos ? n : close + 1;
            } else {
                field.push_back(c);
                ++i;
            }
        }
        fields.push_back(std::move(field));
        if (i < n)
            ++i;  // the comma
    }
    return fields;
}

ColorRef ReadColor(std::string_view dir, std::string_view key, std::string_view def, ColorRef current) {
    ColorRef c = current;
    ParseColor(ReadSetting(dir, "Color", key, def), c);
    return c;
}

int ReadInt(std::string_view dir, std::string_view key, std::string_view def) {
    return ParseSettingInt(ReadSetting(dir, "Font", key, def));
}

LogFont MakeLogFont(int height, int weight, const std::string& face) {
    LogFont f;
    f.height = height;
    f.weight = weight;
    f.faceName = face.substr(0, LogFont::kFaceChars);
    // Never cut inside a multi-byte character.
    while (!f.faceName.empty() && face.size() > LogFont::kFaceChars &&
           (static_cast<unsigned char>(face[f.faceName.size()]) & 0xC0) == 0x80)
        f.faceName.pop_back();
    return f;
}

std::atomic<const SkinSettings*> g_installed{nullptr};

}  // namespace

int ParseSettingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            value = static_cast<long long>(INT_MAX) + 1;  // saturate instead of overflowing
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

bool ParseColor(std::string_view text, ColorRef& color) {
    const std::vector<std::string> fields = SplitFields(text);
    if (fields.size() != 3)
        return false;
    const int r = ParseSettingInt(fields[0]);
    const int g = ParseSettingInt(fields[1]);
    const int b = ParseSettingInt(fields[2]);
    color = Rgb(r, g, b);
    return true;
}

std::string ReadSetting(std::string_view programDir, std::string_view section, std::string_view key,
                        std::string_view defaultValue) {
    const std::string file = std::string(programDir) + "Setting.ini";
    return platform::GetPrivateProfileString(section, key, defaultValue, kSettingBufferChars, file);
}

void LoadSkinSettings(SkinSettings& s, std::string_view dir, std::string_view versionText) {
    s.childBkColor = ReadColor(dir, "ChildBkColor", "255,255,255", s.childBkColor);
    s.buttonMenuFontName = ReadSetting(dir, "Font", "ButtonMenuFontName", "Arial");
    s.buttonMenuFontWeight = ReadInt(dir, "ButtonMenuFontWeight", "0");
    s.buttonMenuFontHeight = ReadInt(dir, "ButtonMenuFontHeight", "15");
    s.buttonMenuFontColor = ReadColor(dir, "ButtonMenuFontColor", "0,0,0", s.buttonMenuFontColor);
    s.buttonFontWeight = ReadInt(dir, "ButtonFontWeight", "0");
    s.buttonFontHeight = ReadInt(dir, "ButtonFontHeight", "15");
    s.buttonFontColor = ReadColor(dir, "ButtonFontColor", "0,0,0", s.buttonFontColor);
    s.staticFontWeight = ReadInt(dir, "StaticFontWeight", "0");
    s.staticFontHeight = ReadInt(dir, "StaticFontHeight", "15");
    s.staticFontTextColor = ReadColor(dir, "StaticFontTextColor", "0,0,0", s.staticFontTextColor);
    s.staticFontBkColor = ReadColor(dir, "StaticFontBkColor", "255,255,255", s.staticFontBkColor);
    s.textDownColor = ReadColor(dir, "TextDownColor", "216,34,40", s.textDownColor);
    s.lineColor = ReadColor(dir, "LineColor", "215,215,215", s.lineColor);
    s.expertTextColor = ReadColor(dir, "ExpertTextColor", "255,0,0", s.expertTextColor);
    s.staticTextNumberColor = ReadColor(dir, "StaticTextNumberColor", "142,142,142", s.staticTextNumberColor);
    s.gridTitleFontWeight = ReadInt(dir, "GridTitleFontWeight", "700");
    s.gridTitleFontHeight = ReadInt(dir, "GridTitleFontHeight", "15");
    s.gridFontWeight = ReadInt(dir, "GridFontWeight", "0");
    s.gridFontHeight = ReadInt(dir, "GridFontHeight", "15");
    s.gridTextColor = ReadColor(dir, "GridTextColor", "0,0,0", s.gridTextColor);
    s.gridTitleTextColor = ReadColor(dir, "GridTitleTextColor", "237,112,32", s.gridTitleTextColor);
    s.gridTitleBkColor = ReadColor(dir, "GridTitleBkColor", "221,217,196", s.gridTitleBkColor);
    s.textUnlineColor = ReadColor(dir, "TextUnlineColor", "142,142,142", s.textUnlineColor);
    s.textOnlineColor = ReadColor(dir, "TextOnlineColor", "0,153,0", s.textOnlineColor);

    s.gridTitleFont = MakeLogFont(s.gridTitleFontHeight, s.gridTitleFontWeight, s.buttonMenuFontName);
    s.gridFont = MakeLogFont(s.gridFontHeight, s.gridFontWeight, s.buttonMenuFontName);
    s.versionText = std::string(versionText);
    s.programDir = std::string(dir);
}

void InitSkinPaths(SkinSettings& s, std::string_view dir, std::uint16_t lcid) {
    const std::string base = std::string(dir) + "Skin/";
    auto p = [&](const char* file) { return base + file; };
    const bool chinese = lcid == 2052;
    SkinPaths& k = s.paths;
    k.mainBk = p("main_bk.jpg");
    k.mainLeftBk = p("main_left_bk.jpg");
    k.menuSearchNormal = p("bt_menu_search_normal.bmp");
    k.menuSearchDown = p("bt_menu_search_down.bmp");
    k.menuWirelessNormal = p("bt_menu_wireless_normal.bmp");
    k.menuWirelessDown = p("bt_menu_wireless_down.bmp");
    k.menuInventoryNormal = p("bt_menu_inventory_normal.bmp");
    k.menuInventoryDown = p("bt_menu_inventory_down.bmp");
    k.closeNormal = p("close_normal.bmp");
    k.minNormal = p("min_normal.bmp");
    k.helpNormal = p("help_normal.bmp");
    k.helpProduct = p("help_product_normal.bmp");
    k.helpSupport = p("help_support_normal.bmp");
    k.helpContact = p("help_contact_normal.bmp");
    k.helpHelp = p("help_help_normal.bmp");
    k.btnSearch = p("btn_search.bmp");
    k.btnUpdateNormal = p("btn_update_normal.bmp");
    k.btnUpdateDown = p("btn_update_down.bmp");
    k.line = p("line.bmp");
    k.btnPie = p("btn_pie.bmp");
    k.btnPie2 = p("btn_pie2.bmp");
    k.waitSearch = p("wait_search.gif");
    k.web = p(chinese ? "web_chinese.bmp" : "web_other.bmp");
    k.bridge = p(chinese ? "bridge_chinese.bmp" : "bridge_other.bmp");
    k.inventory = p(chinese ? "inventory_chinese.bmp" : "inventory_other.bmp");
    k.help = p(chinese ? "help_chinese.jpg" : "help_other.jpg");
    k.btnConfig = p("btn_config.bmp");
    k.configBtn = p("config_btn.bmp");
    k.closeConfig = p("close_config.bmp");
    k.wirelessBasic = p("wireless_basic.bmp");
    k.wirelessConfig = p("wireless_config.bmp");
    k.grayLine = p("gray_line.bmp");
    k.orangeLine = p("orange_line.bmp");
    k.write = p("write.bmp");
    k.bridgeFinish = p("bridge_finish.jpg");
    for (int i = 0; i < 6; ++i)
        k.signalStrength[i] = base + "singal_strength" + std::to_string(i) + ".bmp";
    k.closeWait = p("close_wait.bmp");
    k.applicationIcon = p("Application.ico");
    k.spare.clear();
    for (const char* name : {"device", "user", "adstragy", "admanagment", "active", "system"}) {
        k.spare.push_back(base + "bt_menu_" + name + "_normal.bmp");
        k.spare.push_back(base + "bt_menu_" + name + "_down.bmp");
    }
    for (const char* file : {"btn_delete.bmp", "btn_export.bmp", "btn_add.bmp", "btn_reboot.bmp", "btn_restore.bmp",
                             "btn_upgrade.bmp", "bt_url.bmp", "wireless_enable.bmp", "wireless_disable.bmp"})
        k.spare.push_back(p(file));
}

const SkinSettings& Skin() {
    const SkinSettings* s = g_installed.load(std::memory_order_acquire);
    if (s)
        return *s;
    static const SkinSettings defaults = [] {
        SkinSettings d;
        LoadSkinSettings(d, "/nonexistent-cpe-settings/", "");
        return d;
    }();
    return defaults;
}

void InstallSkin(const SkinSettings* skin) { g_installed.store(skin, std::memory_order_release); }

}  // namespace cpe
