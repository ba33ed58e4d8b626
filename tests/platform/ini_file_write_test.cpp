#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/ini_file.h"
#include "tests/support/temp_dir.h"

namespace cpe::platform {
namespace {

class IniWrite : public ::testing::Test {
protected:
    void TearDown() override { SetAnsiCodeset(""); }
    std::string Get(std::string_view section, std::string_view key) {
        return GetPrivateProfileString(section, key, "<default>", 1024, file_);
    }
    bool Set(std::string_view section, std::string_view key, std::string_view value) {
        return WritePrivateProfileString(section, key, value, file_);
    }

    test::TempDir dir_;
    std::filesystem::path file_ = dir_ / "tftpd32.ini";
};

TEST_F(IniWrite, CreatesTheFileAndTheSection) {
    ASSERT_TRUE(Set("DHCP", "IP_Pool", "0.0.0.0"));
    EXPECT_EQ(test::ReadBytes(file_), "[DHCP]\r\nIP_Pool=0.0.0.0\r\n");
    ASSERT_TRUE(Set("TFTPD32", "BaseDirectory", "/srv/fw"));
    EXPECT_EQ(test::ReadBytes(file_), "[DHCP]\r\nIP_Pool=0.0.0.0\r\n\r\n[TFTPD32]\r\nBaseDirectory=/srv/fw\r\n");
    EXPECT_EQ(Get("tftpd32", "basedirectory"), "/srv/fw");
}

TEST_F(IniWrite, ReplacesInPlaceAndKeepsEveryOtherLineByteForByte) {
    const std::string before = "; helper settings\n"
                               "[TFTPD32]\n"
                               "  BaseDirectory = old  \n"
                               "garbage line without equals\n"
                               "Port=69\n"
                               "\n"
                               "[Other]\n"
                               "BaseDirectory=untouched";
    test::WriteBytes(file_, before);
    ASSERT_TRUE(Set("tftpd32", "BASEDIRECTORY", "new"));
    EXPECT_EQ(test::ReadBytes(file_),
              "; helper settings\n"
              "[TFTPD32]\n"
              "BaseDirectory=new\n"  // the key keeps the file's spelling
              "garbage line without equals\n"
              "Port=69\n"
              "\n"
              "[Other]\n"
              "BaseDirectory=untouched");
}

TEST_F(IniWrite, NewKeyGoesAtTheEndOfItsSectionBeforeTheBlankLines) {
    test::WriteBytes(file_, "[A]\na=1\n\n[B]\nb=2");
    ASSERT_TRUE(Set("A", "a2", "x"));
    ASSERT_TRUE(Set("B", "b2", "y"));
    EXPECT_EQ(test::ReadBytes(file_), "[A]\na=1\na2=x\n\n[B]\nb=2\nb2=y\n");
}

TEST_F(IniWrite, KeepsTheEncodingOfTheFile) {
    test::WriteBytes(file_, test::Utf16LeFile(u"[S]\r\nname=旧\r\n"));
    ASSERT_TRUE(Set("S", "name", "设备"));
    ASSERT_TRUE(Set("S", "added", "é"));
    EXPECT_EQ(test::ReadBytes(file_), test::Utf16LeFile(u"[S]\r\nname=设备\r\nadded=é\r\n"));

    test::WriteBytes(file_, "\xEF\xBB\xBF[S]\nk=v\n");
    ASSERT_TRUE(Set("S", "k", "中"));
    EXPECT_EQ(test::ReadBytes(file_), "\xEF\xBB\xBF[S]\nk=\xE4\xB8\xAD\n");

    SetAnsiCodeset("CP936");
    test::WriteBytes(file_, "[S]\nold=\xBE\xC9\nk=v\n");  // "旧" in code page 936
    ASSERT_TRUE(Set("S", "k", "设备"));
    EXPECT_EQ(test::ReadBytes(file_), "[S]\nold=\xBE\xC9\nk=\xC9\xE8\xB1\xB8\n");
    EXPECT_EQ(Get("S", "old"), "旧");
}

TEST_F(IniWrite, RefusesWhatTheFileCannotHoldAndLeavesItUnchanged) {
    SetAnsiCodeset("CP936");
    const std::string ansiFile = "[S]\nk=\xBE\xC9\n";
    test::WriteBytes(file_, ansiFile);
    EXPECT_FALSE(Set("S", "k", "\xF0\x9F\x93\xA1"));  // no emoji in code page 936
    EXPECT_FALSE(Set("S", "k", "\xFF"));              // not UTF-8 at all
    EXPECT_EQ(test::ReadBytes(file_), ansiFile);

    // Line breaks or structure characters would plant extra keys or sections.
    EXPECT_FALSE(Set("S", "k", "a\r\nInjected=1"));
    EXPECT_FALSE(Set("S", "k", std::string("a\0b", 3)));
    EXPECT_FALSE(Set("S", "a=b", "v"));
    EXPECT_FALSE(Set("S", ";k", "v"));
    EXPECT_FALSE(Set("S", "[k", "v"));
    EXPECT_FALSE(Set("S]x", "k", "v"));
    EXPECT_FALSE(Set("", "k", "v"));
    EXPECT_FALSE(Set("S", "  ", "v"));
    EXPECT_EQ(test::ReadBytes(file_), ansiFile);

    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir_ / "missing-folder" / "x.ini"));
}

TEST_F(IniWrite, ValuesComeBackAsWrittenApartFromTheReadingRules) {
    ASSERT_TRUE(Set("S", "spaced", "  padded  "));
    ASSERT_TRUE(Set("S", "quoted", "\"q\""));
    ASSERT_TRUE(Set("S", "empty", ""));
    EXPECT_EQ(Get("S", "spaced"), "padded");
    EXPECT_EQ(Get("S", "quoted"), "q");
    EXPECT_EQ(Get("S", "empty"), "");
}

TEST_F(IniWrite, KeepsPermissionsAndWritesThroughSymlinks) {
    test::WriteBytes(file_, "[S]\nk=v\n");
    ::chmod(file_.c_str(), 0640);
    const auto link = dir_ / "link.ini";
    std::filesystem::create_symlink(file_, link);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "w", link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadBytes(file_), "[S]\nk=w\n");
    struct stat st {};
    ASSERT_EQ(::stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2);
}

TEST_F(IniWrite, ConcurrentWritersLoseNoKey) {
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([this, t] {
            for (int i = 0; i < 25; ++i) {
                Set("S" + std::to_string(t), "k" + std::to_string(i), std::to_string(t * 100 + i));
            }
        });
    }
    for (auto& writer : writers)
        writer.join();
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 25; ++i) {
            EXPECT_EQ(Get("S" + std::to_string(t), "k" + std::to_string(i)), std::to_string(t * 100 + i));
        }
    }
}

}  // namespace
}  // namespace cpe::platform
