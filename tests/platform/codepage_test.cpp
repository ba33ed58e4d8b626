#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/platform/scoped_env.h"

namespace cpe::platform {
namespace {

// "中文" in UTF-8 and in GBK / code page 936.
constexpr std::string_view kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
constexpr std::string_view kChineseGbk = "\xD6\xD0\xCE\xC4";

class PinnedCodeset : public ::testing::Test {
protected:
    void TearDown() override { SetAnsiCodeset(""); }
};

TEST_F(PinnedCodeset, PinningReplacesAndEmptyRestoresTheLocaleCodeset) {
    const std::string own = AnsiCodeset();
    EXPECT_FALSE(own.empty());
    SetAnsiCodeset("CP936");
    EXPECT_EQ(AnsiCodeset(), "CP936");
    SetAnsiCodeset("");
    EXPECT_EQ(AnsiCodeset(), own);
}

TEST(LocaleCodeset, FollowsTheLocaleVariables) {
    test::ScopedEnv all("LC_ALL", nullptr);
    test::ScopedEnv ctype("LC_CTYPE", nullptr);
    test::ScopedEnv lang("LANG", "C.UTF-8");
    EXPECT_EQ(LocaleCodeset(), "UTF-8");
    lang.Set("C");  // plain ASCII is taken as UTF-8
    EXPECT_EQ(LocaleCodeset(), "UTF-8");
    // Locales that may not be installed still name their code set.
    lang.Set("zh_CN.GBK");
    const std::string gbk = LocaleCodeset();
    EXPECT_TRUE(gbk == "GBK" || gbk == "GB2312") << gbk;
    ctype.Set("ru_RU.CP1251@modifier");
    EXPECT_EQ(LocaleCodeset(), "CP1251");
    all.Set("xx_XX.NO-SUCH-SET");
    EXPECT_EQ(LocaleCodeset(), "UTF-8");
}

TEST_F(PinnedCodeset, WideConversionsUseTheAnsiCodeset) {
    SetAnsiCodeset("CP936");
    EXPECT_EQ(AnsiToWide(kChineseGbk), u"中文");
    EXPECT_EQ(WideToAnsi(u"中文"), kChineseGbk);
    EXPECT_EQ(AnsiToWide("abc"), u"abc");

    SetAnsiCodeset("GBK");
    EXPECT_EQ(WideToAnsi(u"设备"), "\xC9\xE8\xB1\xB8");

    SetAnsiCodeset("UTF-8");
    EXPECT_EQ(AnsiToWide(kChineseUtf8), u"中文");
    EXPECT_EQ(WideToAnsi(u"\U0001F4E1"), "\xF0\x9F\x93\xA1");
}

TEST_F(PinnedCodeset, UndecodableOrUnmappableTextFailsWithEmptyResult) {
    SetAnsiCodeset("CP936");
    EXPECT_EQ(AnsiToWide("ab\xD6"), u"");        // lead byte without its trail byte
    EXPECT_EQ(WideToAnsi(u"ab\U0001F4E1"), "");  // no emoji in code page 936
    EXPECT_EQ(WideToAnsi(u"ab\xD800"), "");      // lone surrogate
    SetAnsiCodeset("UTF-8");
    EXPECT_EQ(AnsiToWide("ab\xE4\xB8"), u"");

    std::string out = "stale";
    EXPECT_FALSE(ConvertCodeset("NO-SUCH-CODESET", "UTF-8", "abc", out));
    EXPECT_TRUE(out.empty());
    out = "stale";
    EXPECT_FALSE(ConvertCodeset("UTF-8", "CP936", "\xE4\xB8", out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(ConvertCodeset("UTF-8", "UTF-8", "\xED\xA0\x80", out));  // encoded surrogate
}

TEST_F(PinnedCodeset, ConvertsBetweenAnyTwoCodesets) {
    std::string out;
    ASSERT_TRUE(ConvertCodeset("CP936", "UTF-8", kChineseGbk, out));
    EXPECT_EQ(out, kChineseUtf8);
    ASSERT_TRUE(ConvertCodeset("UTF-8", "CP1251", "\xD0\x9C\xD0\xBE", out));  // "Мо"
    EXPECT_EQ(out, "\xCC\xEE");
    ASSERT_TRUE(ConvertCodeset("UTF-8", "UTF-8", "", out));
    EXPECT_EQ(out, "");
    // Long input: the output buffer has to grow several times.
    std::string longGbk;
    for (int i = 0; i < 5000; ++i)
        longGbk += kChineseGbk;
    ASSERT_TRUE(ConvertCodeset("GBK", "UTF-8", longGbk, out));
    EXPECT_EQ(out.size(), 5000u * kChineseUtf8.size());
}

TEST(Utf16, InvalidInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xF0\x9F\x93\xA1"), u"a\U0001F4E1");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b\xE4\xB8"),
              u"a\uFFFDb\uFFFD");
    EXPECT_EQ(Utf16ToUtf8(u"a\U0001F4E1"), "a\xF0\x9F\x93\xA1");
    const char16_t loneHigh[] = {u'a', 0xD83D, u'b', 0};
    EXPECT_EQ(Utf16ToUtf8(loneHigh), "a\xEF\xBF\xBD"
                                     "b");
    const char16_t loneLowAtEnd[] = {0xDC00, 0};
    EXPECT_EQ(Utf16ToUtf8(loneLowAtEnd), "\xEF\xBF\xBD");
}

// Worker threads convert device texts while the user-interface thread does the same with
// other code sets; each thread must get its own converter state.
TEST_F(PinnedCodeset, ConcurrentConversionsDoNotInterfere) {
    SetAnsiCodeset("CP936");
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                std::string out;
                const bool ok = (t % 2 == 0) ? ConvertCodeset("GBK", "UTF-8", kChineseGbk, out) && out == kChineseUtf8
                                             : ConvertCodeset("UTF-8", "CP1251", "\xD0\x9C", out) && out == "\xCC";
                if (!ok || AnsiToWide(kChineseGbk) != u"中文")
                    ++failures;
            }
        });
    }
    // Start-up may pin the code set while others already convert; both names decode the same.
    threads.emplace_back([] {
        for (int i = 0; i < 500; ++i)
            SetAnsiCodeset(i % 2 == 0 ? "GBK" : "CP936");
    });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace cpe::platform
