// Save across the four forms: the order of the collects, the apply flags when IP and VLAN change
// together, the wait after a Save, and the messages' entries in the language files.
#include "actions/config/config_messages.h"
#include "actions/config/config_request.h"
#include "platform/ini_file.h"
#include "tests/actions/config/config_fixture.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace cpe::actions {
namespace {

using test::ConfigTest;
using test::Device5;

class ConfigSaveTest : public ConfigTest {
protected:
    ConfigDialogModel model{Device5()};
    ConfigEntries entries = model.InitialEntries();
};

TEST_F(ConfigSaveTest, NothingChanged) {
    const SaveOutcome out = model.Save(entries, {});
    EXPECT_FALSE(out.failure);
    EXPECT_FALSE(out.request.SendsAnything());
    EXPECT_EQ(out.wait.count(), 0);
}

TEST_F(ConfigSaveTest, FirstFailingFormStopsTheSave) {
    entries.ip.ip = "0.1.2.3";
    entries.vlan.manage = "5000";
    model.vlan.SetEnabled(true);
    entries.wireless.ssid.clear();
    SaveOutcome out = model.Save(entries, {});
    ASSERT_TRUE(out.failure);
    EXPECT_EQ(out.failure->form, ConfigForm::kWireless);

    entries.wireless.ssid = "net5";
    out = model.Save(entries, {});
    ASSERT_TRUE(out.failure);
    EXPECT_EQ(out.failure->form, ConfigForm::kIp);
    EXPECT_EQ(out.failure->failure.key, message::kIpInvalid);
    EXPECT_FALSE(out.request.SendsAnything());

    entries.ip.ip = "192.168.1.21";
    out = model.Save(entries, {});
    ASSERT_TRUE(out.failure);
    EXPECT_EQ(out.failure->form, ConfigForm::kVlan);

    entries.vlan = {"5", "6", "7"};
    model.timedReboot.SetEnabled(true);
    entries.timedReboot = {"25", "0"};
    out = model.Save(entries, {});
    ASSERT_TRUE(out.failure);
    EXPECT_EQ(out.failure->form, ConfigForm::kTimedReboot);
}

TEST_F(ConfigSaveTest, ApplyFlagsAndWait) {
    entries.ip.ip = "192.168.1.21";
    SaveOutcome out = model.Save(entries, {});
    ASSERT_FALSE(out.failure);
    EXPECT_TRUE(out.request.ip_changed);
    EXPECT_EQ(out.request.ip_block[kIpApplyFlagByte], 1);
    EXPECT_EQ(out.wait.count(), 15);

    model.vlan.SetEnabled(true);
    entries.vlan = {"5", "6", "7"};
    out = model.Save(entries, {});
    ASSERT_FALSE(out.failure);
    EXPECT_EQ(out.request.ip_block[kIpApplyFlagByte], 0);
    EXPECT_EQ(out.request.vlan_block[kVlanApplyFlagByte], 1);
    EXPECT_EQ(out.wait.count(), 60);

    entries.ip = model.InitialEntries().ip;
    out = model.Save(entries, {});
    EXPECT_FALSE(out.request.ip_changed);
    EXPECT_EQ(out.request.vlan_block[kVlanApplyFlagByte], 0);
    EXPECT_EQ(out.wait.count(), 60);

    model.vlan.SetEnabled(false);
    entries.wireless.location = "renamed";
    model.timedReboot.SetEnabled(true);
    out = model.Save(entries, {});
    EXPECT_TRUE(out.request.name_changed);
    EXPECT_TRUE(out.request.restart_changed);
    EXPECT_EQ(out.wait.count(), 0);
}

// Every message the checks can give has an entry in each shipped language file.
TEST(ConfigMessages, EveryKeyIsInBothLanguageFiles) {
    const std::filesystem::path root = CPE_SOURCE_DIR;
    std::ifstream in(root / "actions" / "config" / "config_messages.h");
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
    std::vector<std::string> keys;
    for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end; ++it)
        keys.push_back(std::regex_replace((*it)[1].str(), std::regex(R"(\\\\)"), "\\"));
    ASSERT_GT(keys.size(), 35u);
    for (const char* file : {"English.lng", "Chinese.lng"}) {
        const auto path = root / "resources" / "Languages" / file;
        for (const std::string& key : keys)
            EXPECT_NE(platform::GetPrivateProfileString("ProgramOutStr", key, "\x01", 1024, path), "\x01")
                << file << " lacks \"" << key << "\"";
    }
}

}  // namespace
}  // namespace cpe::actions
