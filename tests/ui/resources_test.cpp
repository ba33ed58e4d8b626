// The shipped resources: every text the program looks up has an entry in each language file,
// every skin picture exists and loads, and the settings file holds the defaults.
#include "platform/ini_file.h"
#include "ui/dialog_template.h"
#include "ui/skin_settings.h"

#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace cpe {
namespace {

namespace fs = std::filesystem;

const fs::path kRoot = CPE_SOURCE_DIR;
const fs::path kLanguages = kRoot / "resources" / "Languages";
constexpr const char* kMissing = "\x01missing\x01";

std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[++i];
            out.push_back(n == 'n' ? '\n' : n == 't' ? '\t' : n == 'r' ? '\r' : n);
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// Keys passed as literals to the lookup anywhere in the program's sources: to TranslateString,
// to any function whose name says it translates, and to the pages' text helpers.
std::set<std::string> KeysUsedInSources() {
    static const std::regex call(R"re(\b(?:\w*Translat\w*|PageText|CountText)\(\s*(?:u8)?"((?:[^"\\]|\\.)*)")re");
    std::set<std::string> keys;
    for (const char* top :
         {"app", "pages", "config", "bridge", "upgrade", "fleet", "protocol", "store", "ui", "service"}) {
        const fs::path dir = kRoot / top;
        if (!fs::exists(dir))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const auto ext = entry.path().extension();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
                continue;
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            const std::string s = text.str();
            for (std::sregex_iterator it(s.begin(), s.end(), call), end; it != end; ++it)
                keys.insert(Unescape((*it)[1].str()));
        }
    }
    return keys;
}

// Texts of the dialog templates, which window translation looks up.
std::set<std::string> KeysOfTemplates() {
    std::set<std::string> keys;
    for (auto list : {ShellTemplates(), PageTemplates(), ConfigTemplates(), FleetTemplates()})
        for (const DialogTemplate& t : list) {
            if (t.title && *t.title)
                keys.insert(t.title);
            for (const ControlTemplate& c : t.controls)
                if (c.text && *c.text && std::string(c.text) != "..." && c.kind != ControlKind::kEdit &&
                    c.kind != ControlKind::kSkinEdit)
                    keys.insert(c.text);
        }
    return keys;
}

std::vector<fs::path> LanguageFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kLanguages))
        if (entry.path().extension() == ".lng")
            files.push_back(entry.path());
    return files;
}

bool HasEntry(const fs::path& file, const std::string& key) {
    return platform::GetPrivateProfileString("ProgramOutStr", key, kMissing, 1024, file) != kMissing;
}

TEST(LanguageFiles, IndexNamesShippedFiles) {
    const fs::path index = kLanguages / "Language.ini";
    ASSERT_TRUE(fs::exists(index));
    for (const char* lcid : {"1033", "2052"}) {
        const std::string name = platform::GetPrivateProfileString("LCID", lcid, "", 64, index);
        ASSERT_FALSE(name.empty()) << lcid;
        EXPECT_TRUE(fs::exists(kLanguages / (name + ".lng"))) << name;
    }
    EXPECT_GE(LanguageFiles().size(), 2u);
}

TEST(LanguageFiles, EveryKeyInUseHasAnEntry) {
    std::set<std::string> keys = KeysUsedInSources();
    const std::set<std::string> fromTemplates = KeysOfTemplates();
    keys.insert(fromTemplates.begin(), fromTemplates.end());
    for (const char* help : {"Product_url", "Support_url", "Contact_url", "Help_url"})
        keys.insert(help);
    ASSERT_GT(keys.size(), 20u);
    for (const fs::path& file : LanguageFiles())
        for (const std::string& key : keys)
            EXPECT_TRUE(HasEntry(file, key)) << file.filename() << " lacks \"" << key << "\"";
}

TEST(LanguageFiles, HelpAddressesPointAtTheShippedHelpPage) {
    for (const fs::path& file : LanguageFiles())
        for (const char* key : {"Product_url", "Support_url", "Contact_url", "Help_url"}) {
            const std::string url = platform::GetPrivateProfileString("ProgramOutStr", key, "", 1024, file);
            // A path relative to the program folder, so help works offline.
            ASSERT_FALSE(url.empty()) << file.filename() << " " << key;
            EXPECT_EQ(url.find(':'), std::string::npos) << url;
            const std::string path = url.substr(0, url.find('#'));
            EXPECT_TRUE(fs::exists(kRoot / "resources" / path)) << url;
        }
}

TEST(SkinPictures, EveryPictureTheProgramShowsIsShippedAndLoads) {
    const std::string dir = (kRoot / "resources").string() + "/";
    for (std::uint16_t lcid : {1033, 2052}) {
        SkinSettings s;
        InitSkinPaths(s, dir, lcid);
        const SkinPaths& k = s.paths;
        std::vector<std::string> shown = {k.mainBk,
                                          k.mainLeftBk,
                                          k.menuSearchNormal,
                                          k.menuSearchDown,
                                          k.menuWirelessNormal,
                                          k.menuWirelessDown,
                                          k.menuInventoryNormal,
                                          k.menuInventoryDown,
                                          k.closeNormal,
                                          k.minNormal,
                                          k.helpNormal,
                                          k.helpProduct,
                                          k.helpSupport,
                                          k.helpContact,
                                          k.helpHelp,
                                          k.btnSearch,
                                          k.btnUpdateNormal,
                                          k.btnUpdateDown,
                                          k.line,
                                          k.btnPie,
                                          k.btnPie2,
                                          k.waitSearch,
                                          k.web,
                                          k.bridge,
                                          k.inventory,
                                          k.help,
                                          k.btnConfig,
                                          k.configBtn,
                                          k.closeConfig,
                                          k.wirelessBasic,
                                          k.wirelessConfig,
                                          k.grayLine,
                                          k.orangeLine,
                                          k.write,
                                          k.bridgeFinish,
                                          k.closeWait,
                                          k.applicationIcon};
        shown.insert(shown.end(), std::begin(k.signalStrength), std::end(k.signalStrength));
        for (const std::string& path : shown)
            EXPECT_FALSE(QImage(QString::fromStdString(path)).isNull()) << path;
        // The list icons are strips of 50 x 16 images: the action and the status codes 1..10.
        for (const std::string& strip : {k.web, k.bridge}) {
            const QImage img(QString::fromStdString(strip));
            EXPECT_EQ(img.height(), 16) << strip;
            EXPECT_EQ(img.width(), 50 * 11) << strip;
        }
        // The Inventory page's: its actions, an online and an offline device.
        EXPECT_EQ(QImage(QString::fromStdString(k.inventory)).size(), QSize(50 * 3, 16)) << k.inventory;
        // The management list's "Operate" picture is a strip of one such image.
        EXPECT_EQ(QImage(QString::fromStdString(k.write)).size(), QSize(50, 16));
    }
    QImageReader busy(QString::fromStdString(dir + "Skin/wait_search.gif"));
    EXPECT_GT(busy.imageCount(), 1);
}

TEST(SettingsFile, ShipsTheDefaults) {
    const std::string dir = (kRoot / "resources").string() + "/";
    SkinSettings shipped, defaults;
    LoadSkinSettings(shipped, dir, "");
    LoadSkinSettings(defaults, "/nonexistent-cpe-settings/", "");
    EXPECT_EQ(shipped.childBkColor, defaults.childBkColor);
    EXPECT_EQ(shipped.textDownColor, defaults.textDownColor);
    EXPECT_EQ(shipped.gridTitleTextColor, defaults.gridTitleTextColor);
    EXPECT_EQ(shipped.gridTitleBkColor, defaults.gridTitleBkColor);
    EXPECT_EQ(shipped.textOnlineColor, defaults.textOnlineColor);
    EXPECT_EQ(shipped.buttonMenuFontName, defaults.buttonMenuFontName);
    EXPECT_EQ(shipped.gridTitleFontWeight, defaults.gridTitleFontWeight);
    EXPECT_EQ(shipped.gridFontHeight, defaults.gridFontHeight);
}

}  // namespace
}  // namespace cpe
