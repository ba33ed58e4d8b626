#include "ui/skin_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace cpe {
namespace {

namespace fs = std::filesystem;

class SettingsDir : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("cpe_skin_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Dir() const { return m_dir.string() + "/"; }
    void Write(const std::string& text) { std::ofstream(m_dir / "Setting.ini") << text; }
    fs::path m_dir;
};

TEST(ParseColorTest, ThreeFieldsGiveWindowsColour) {
    ColorRef c = 0;
    ASSERT_TRUE(ParseColor("255,255,255", c));
    EXPECT_EQ(c, 0x00FFFFFFu);
    ASSERT_TRUE(ParseColor("216,34,40", c));
    EXPECT_EQ(c, 0x002822D8u);  // red in the low byte
    ASSERT_TRUE(ParseColor("12, 34 ,56", c));
    EXPECT_EQ(c, Rgb(12, 34, 56));
    ASSERT_TRUE(ParseColor("300,0,0", c));
    EXPECT_EQ(RedOf(c), 44);  // low 8 bits of 300
    EXPECT_EQ(GreenOf(c), 0);
}

TEST(ParseColorTest, WrongFieldCountLeavesColourAlone) {
    ColorRef c = Rgb(1, 2, 3);
    EXPECT_FALSE(ParseColor("10,20", c));
    EXPECT_FALSE(ParseColor("10,20,30,40", c));
    EXPECT_FALSE(ParseColor("", c));
    EXPECT_EQ(c, Rgb(1, 2, 3));
    // A trailing comma adds no field; an empty field between commas does.
    EXPECT_TRUE(ParseColor("10,20,30,", c));
    EXPECT_EQ(c, Rgb(10, 20, 30));
    EXPECT_TRUE(ParseColor("10,,30", c));
    EXPECT_EQ(c, Rgb(10, 0, 30));
}

TEST(ParseColorTest, QuotedFieldsKeepTheirCommas) {
    ColorRef c = 0;
    ASSERT_TRUE(ParseColor("\"1,2\",3,4", c));  // "1,2" is one field, read as 1
    EXPECT_EQ(c, Rgb(1, 3, 4));
    ASSERT_TRUE(ParseColor("'7',\"8\",9", c));
    EXPECT_EQ(c, Rgb(7, 8, 9));
    ColorRef d = Rgb(9, 9, 9);
    EXPECT_FALSE(ParseColor("\"1,2,3", d));  // unclosed quote swallows the rest: one field
    EXPECT_EQ(d, Rgb(9, 9, 9));
}

TEST(ParseSettingIntTest, FollowsTheCRules) {
    EXPECT_EQ(ParseSettingInt("700"), 700);
    EXPECT_EQ(ParseSettingInt("  15px"), 15);
    EXPECT_EQ(ParseSettingInt("-12"), -12);
    EXPECT_EQ(ParseSettingInt("bold"), 0);
    EXPECT_EQ(ParseSettingInt(""), 0);
    EXPECT_EQ(ParseSettingInt("99999999999999999999"), 2147483647);
}

TEST_F(SettingsDir, EmptyFileGivesTheDefaults) {
    Write("");
    SkinSettings s;
    LoadSkinSettings(s, Dir(), "V1.2.3.4");
    EXPECT_EQ(s.childBkColor, Rgb(255, 255, 255));
    EXPECT_EQ(s.buttonMenuFontName, "Arial");
    EXPECT_EQ(s.buttonMenuFontWeight, 0);
    EXPECT_EQ(s.buttonMenuFontHeight, 15);
    EXPECT_EQ(s.buttonMenuFontColor, Rgb(0, 0, 0));
    EXPECT_EQ(s.buttonFontHeight, 15);
    EXPECT_EQ(s.staticFontBkColor, Rgb(255, 255, 255));
    EXPECT_EQ(s.textDownColor, Rgb(216, 34, 40));
    EXPECT_EQ(s.lineColor, Rgb(215, 215, 215));
    EXPECT_EQ(s.expertTextColor, Rgb(255, 0, 0));
    EXPECT_EQ(s.staticTextNumberColor, Rgb(142, 142, 142));
    EXPECT_EQ(s.gridTitleFontWeight, 700);
    EXPECT_EQ(s.gridTitleTextColor, Rgb(237, 112, 32));
    EXPECT_EQ(s.gridTitleBkColor, Rgb(221, 217, 196));
    EXPECT_EQ(s.textUnlineColor, Rgb(142, 142, 142));
    EXPECT_EQ(s.textOnlineColor, Rgb(0, 153, 0));
    EXPECT_EQ(s.gridTitleFont.height, 15);
    EXPECT_EQ(s.gridTitleFont.weight, 700);
    EXPECT_EQ(s.gridTitleFont.faceName, "Arial");
    EXPECT_EQ(s.gridFont.weight, 0);
    EXPECT_EQ(s.versionText, "V1.2.3.4");
    EXPECT_EQ(s.programDir, Dir());
}

TEST_F(SettingsDir, ValuesOverrideDefaultsAndMalformedColoursGiveBlack) {
    Write("[Color]\nLineColor=1,2,3\nTextOnlineColor=10,20\nGridTextColor=\"4\",5,6\n"
          "[Font]\nGridFontHeight=abc\nGridTitleFontWeight= 400\n"
          "ButtonMenuFontName=" +
          std::string(40, 'F') + "\n");
    SkinSettings s;
    LoadSkinSettings(s, Dir(), "");
    EXPECT_EQ(s.lineColor, Rgb(1, 2, 3));
    EXPECT_EQ(s.textOnlineColor, Rgb(0, 0, 0));
    EXPECT_EQ(s.gridTextColor, Rgb(4, 5, 6));
    EXPECT_EQ(s.gridFontHeight, 0);
    EXPECT_EQ(s.gridTitleFontWeight, 400);
    EXPECT_EQ(s.buttonMenuFontName, std::string(40, 'F'));
    EXPECT_EQ(s.gridFont.faceName.size(), LogFont::kFaceChars);  // the font record holds 31
}

TEST_F(SettingsDir, ValuesAreCutTo63Characters) {
    Write("[Font]\nButtonMenuFontName=" + std::string(100, 'x') + "\n");
    EXPECT_EQ(ReadSetting(Dir(), "Font", "ButtonMenuFontName", "Arial").size(), 63u);
}

TEST(SkinPathsTest, LocaleChoosesTheChineseOrOtherPictures) {
    SkinSettings s;
    InitSkinPaths(s, "/opt/cpe/", 2052);
    EXPECT_EQ(s.paths.web, "/opt/cpe/Skin/web_chinese.bmp");
    EXPECT_EQ(s.paths.bridge, "/opt/cpe/Skin/bridge_chinese.bmp");
    EXPECT_EQ(s.paths.help, "/opt/cpe/Skin/help_chinese.jpg");
    InitSkinPaths(s, "/opt/cpe/", 1033);
    EXPECT_EQ(s.paths.web, "/opt/cpe/Skin/web_other.bmp");
    EXPECT_EQ(s.paths.help, "/opt/cpe/Skin/help_other.jpg");
    EXPECT_EQ(s.paths.mainBk, "/opt/cpe/Skin/main_bk.jpg");
    EXPECT_EQ(s.paths.signalStrength[5], "/opt/cpe/Skin/singal_strength5.bmp");
    EXPECT_EQ(s.paths.applicationIcon, "/opt/cpe/Skin/Application.ico");
    EXPECT_EQ(s.paths.spare.size(), 21u);
}

TEST(SkinAccessorTest, DefaultsUntilInstalled) {
    EXPECT_EQ(Skin().gridTitleTextColor, Rgb(237, 112, 32));
    SkinSettings mine;
    mine.gridTitleTextColor = Rgb(1, 1, 1);
    InstallSkin(&mine);
    EXPECT_EQ(Skin().gridTitleTextColor, Rgb(1, 1, 1));
    InstallSkin(nullptr);
    EXPECT_EQ(Skin().gridTitleTextColor, Rgb(237, 112, 32));
}

}  // namespace
}  // namespace cpe
