#include "lang/language.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/ini_file.h"
#include "tests/support/temp_dir.h"

namespace cpe {
namespace {

class Language : public ::testing::Test {
protected:
    void WriteIndex(std::string_view body) { test::WriteBytes(dir_ / "Languages" / "Language.ini", body); }
    void WriteLanguage(std::string_view name, std::string_view bytes) {
        test::WriteBytes(dir_ / "Languages" / (std::string(name) + ".lng"), bytes);
    }
    void UseChinese(std::string_view entries) {
        WriteIndex("[LCID]\r\n2052=Chinese\r\n");
        WriteLanguage("Chinese", "[ProgramOutStr]\r\n" + std::string(entries));
        ASSERT_TRUE(InitLanguage(dir_.dirText(), 2052));
    }

    test::TempDir dir_;
};

TEST_F(Language, TheIndexSelectsTheFileForTheLocale) {
    UseChinese("Device status=设备状态\r\n");
    EXPECT_EQ(LanguageLcid(), 2052);
    EXPECT_EQ(LanguageName(), "Chinese");
    EXPECT_EQ(LanguageFilePath(), dir_.dirText() + "Languages/Chinese.lng");
    EXPECT_EQ(TranslateString("Device status"), "设备状态");
    EXPECT_EQ(TranslateString("Not translated"), "Not translated");
}

TEST_F(Language, NoEntryForTheLocaleMeansEnglish) {
    WriteIndex("[LCID]\r\n2052=Chinese\r\n");
    WriteLanguage("English", "[ProgramOutStr]\r\nDevice status=Devices\r\n");
    ASSERT_TRUE(InitLanguage(dir_.dirText(), 1041));
    EXPECT_EQ(LanguageLcid(), 1033);
    EXPECT_EQ(LanguageName(), "English");
    EXPECT_EQ(TranslateString("Device status"), "Devices");

    std::filesystem::remove(dir_ / "Languages" / "Language.ini");
    ASSERT_TRUE(InitLanguage(dir_.dirText(), 2052));
    EXPECT_EQ(LanguageLcid(), 1033);
    EXPECT_EQ(LanguageFilePath(), dir_.dirText() + "Languages/English.lng");
}

TEST_F(Language, AMissingOrEmptyLanguageFileShowsEveryKey) {
    WriteIndex("[LCID]\r\n2052=Chinese\r\n");
    ASSERT_TRUE(InitLanguage(dir_.dirText(), 2052));
    EXPECT_EQ(LanguageLcid(), 2052);  // the pictures still follow the locale
    EXPECT_EQ(LanguageName(), "Chinese");
    EXPECT_EQ(TranslateString("Device status"), "Device status");

    WriteLanguage("Chinese", "");
    ASSERT_TRUE(InitLanguage(dir_.dirText(), 2052));
    EXPECT_EQ(TranslateString("Device status"), "Device status");

    // The program folder may come without its trailing slash.
    WriteLanguage("Chinese", "[ProgramOutStr]\nDevice status=设备状态\n");
    ASSERT_TRUE(InitLanguage(dir_.path().string(), 2052));
    EXPECT_EQ(TranslateString("Device status"), "设备状态");
}

TEST_F(Language, KeysMatchWithoutRegardToCaseAndComeBackUnchangedWhenMissing) {
    UseChinese("DEVICE STATUS=设备状态\r\nsearch=搜索\r\n");
    EXPECT_EQ(TranslateString("Device status"), "设备状态");
    EXPECT_EQ(TranslateString("SEARCH"), "搜索");
    EXPECT_EQ(TranslateString("Reboot Now"), "Reboot Now");
    EXPECT_EQ(TranslateString(""), "");
    EXPECT_EQ(TranslateString(std::string_view()), "");
}

TEST_F(Language, MarkersAreReplacedInOrder) {
    UseChinese("Two lines=first\\r\\nsecond\r\n"
               "Line feed=first\\nsecond\r\n"
               "Removed=[~NullInfoVexa~]\r\n"
               "Space=[~Null~]\r\n"
               "Inside=a[~NullInfoVexa~]b[~Null~]c\r\n"
               "Nested=[~Null[~NullInfoVexa~]~]\r\n"
               "Backslashes=\\\\r\\n\r\n");
    EXPECT_EQ(TranslateString("Two lines"), "first\r\nsecond");
    EXPECT_EQ(TranslateString("Line feed"), "first\nsecond");
    EXPECT_EQ(TranslateString("Removed"), "");
    EXPECT_EQ(TranslateString("Space"), " ");
    EXPECT_EQ(TranslateString("Inside"), "ab c");
    // Removal runs before the space marker, so the removal can form a space marker.
    EXPECT_EQ(TranslateString("Nested"), " ");
    EXPECT_EQ(TranslateString("Backslashes"), "\\\r\n");
}

TEST_F(Language, AnEmptyTranslationShowsTheKeyAndHidesLaterEntries) {
    UseChinese("Device status=\r\nDevice status=设备状态\r\nQuoted=\"\"\r\n");
    EXPECT_EQ(TranslateString("Device status"), "Device status");
    EXPECT_EQ(TranslateString("Quoted"), "Quoted");
}

TEST_F(Language, TranslationsAreCutTo1022Characters) {
    const std::string longText(1100, 'x');
    UseChinese("Long=" + longText + "\r\nMarked=" + std::string(1020, 'y') + "\\r\\n\r\n");
    EXPECT_EQ(TranslateString("Long"), std::string(1022, 'x'));
    // The cut comes first: a marker broken by it stays as text.
    EXPECT_EQ(TranslateString("Marked"), std::string(1020, 'y') + "\\r");
}

// The parsed table must answer exactly as a lookup in the file would.
TEST_F(Language, LookupsAgreeWithTheFileRules) {
    const std::string entries = "; comment=ignored\r\n"
                                "  Padded key   =   padded value  \r\n"
                                "Quoted='single'\r\n"
                                "Equals=a=b\r\n"
                                "Caf\xC3\x89=caf\xC3\xA9\r\n"
                                "bad line\r\n"
                                "Dup=one\r\n"
                                "DUP=two\r\n"
                                "[Other]\r\n"
                                "Elsewhere=no\r\n"
                                "[programoutstr]\r\n"
                                "Late=never\r\n";
    UseChinese(entries);
    const auto file = dir_ / "Languages" / "Chinese.lng";
    for (const char* key : {"Padded key", "padded KEY ", "Quoted", "Equals", "caf\xC3\xA9", "Dup", "Elsewhere", "Late",
                            "; comment", "bad line", "Missing"}) {
        const std::string value = platform::GetPrivateProfileString("ProgramOutStr", key, "", 1023, file);
        EXPECT_EQ(TranslateString(key), value.empty() ? std::string(key) : value) << key;
    }
}

// Engine workers translate texts while the user-interface thread does; nothing may tear.
TEST_F(Language, LookupsRunConcurrentlyWithEachOtherAndWithSelection) {
    UseChinese("Device status=设备状态\r\n");
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                const std::string text = TranslateString("Device status");
                if (text != "设备状态" && text != "Device status")
                    ++wrong;
                if (LanguageName().empty())
                    ++wrong;
            }
        });
    }
    for (int i = 0; i < 20; ++i)
        InitLanguage(dir_.dirText(), i % 2 == 0 ? 1033 : 2052);
    stop = true;
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace cpe
