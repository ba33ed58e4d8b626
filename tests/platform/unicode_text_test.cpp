#include "platform/unicode_text.h"

#include <gtest/gtest.h>

namespace cpe::platform {
namespace {

TEST(Utf8Validation, AcceptsCompleteCharactersOfEveryLength) {
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("Caf\xC3\xA9"));               // 2 bytes
    EXPECT_TRUE(IsValidUtf8("\xE4\xB8\xAD\xE6\x96\x87"));  // 3 bytes
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x93\xA1"));          // 4 bytes
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));          // U+10FFFF
    EXPECT_TRUE(IsValidUtf8(""));
}

TEST(Utf8Validation, StopsAtTheFirstIllFormedByte) {
    EXPECT_EQ(ValidUtf8PrefixLength("ab\x80"
                                    "cd"),
              2u);                                               // stray continuation
    EXPECT_EQ(ValidUtf8PrefixLength("ab\xC0\xAF"), 2u);          // overlong '/'
    EXPECT_EQ(ValidUtf8PrefixLength("ab\xE0\x80\xAF"), 2u);      // overlong three-byte form
    EXPECT_EQ(ValidUtf8PrefixLength("ab\xED\xA0\x80"), 2u);      // UTF-16 surrogate
    EXPECT_EQ(ValidUtf8PrefixLength("ab\xF4\x90\x80\x80"), 2u);  // beyond U+10FFFF
    EXPECT_EQ(ValidUtf8PrefixLength("ab\xF8\x88\x80\x80\x80"), 2u);
    EXPECT_EQ(ValidUtf8PrefixLength("ab\xE4\xB8"), 2u);  // cut by the end
    EXPECT_EQ(ValidUtf8PrefixLength("ab\xE4\xB8"
                                    "c"),
              2u);  // cut by a new character
    EXPECT_EQ(Utf8SequenceLength("\xE4\xB8", 0), 0u);
    EXPECT_EQ(Utf8SequenceLength("a", 5), 0u);
}

TEST(CaseFolding, MatchesNamesWithoutRegardToCase) {
    EXPECT_TRUE(EqualsNoCase("ProgramOutStr", "PROGRAMOUTSTR"));
    EXPECT_TRUE(EqualsNoCase("device STATUS", "Device status"));
    EXPECT_TRUE(EqualsNoCase("\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9"));            // ÉTÉ / été
    EXPECT_TRUE(EqualsNoCase("\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90",    // МОСКВА
                             "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"));  // москва
    EXPECT_TRUE(EqualsNoCase("\xC5\x81\xC3\x93"
                             "D\xC5\xB9",
                             "\xC5\x82\xC3\xB3"
                             "d\xC5\xBA"));  // ŁÓDŹ
    EXPECT_FALSE(EqualsNoCase("Device", "Devices"));
    EXPECT_FALSE(EqualsNoCase("a", "\xC3\xA1"));
    EXPECT_EQ(FoldCase("Mixed Case \xD0\x96"), "mixed case \xD0\xB6");
    EXPECT_EQ(FoldCase(U'\u00D7'), U'\u00D7');  // the multiplication sign has no lower case
}

}  // namespace
}  // namespace cpe::platform
