#include "platform/ini_document.h"

#include <gtest/gtest.h>

#include <random>
#include <string_view>

namespace cpe::platform {
namespace {

// Random files built from the bytes that matter to the parser: structure characters, line
// ends, quotes, NUL, and pieces of byte-order marks and multi-byte characters.
std::string RandomFile(std::mt19937& rng) {
    static constexpr char kAlphabet[] = {'[',    ']',    '=',    ';',    '\r',   '\n',   ' ',    '\t',   '"',
                                         '\'',   'a',    'B',    'k',    '\0',   '\x80', '\xC3', '\xA9', '\xE4',
                                         '\xB8', '\xAD', '\xFF', '\xFE', '\xEF', '\xBB', '\xBF', '\xD6', '\xD0'};
    static constexpr std::string_view kStarts[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xFF", "[S]\r\n"};
    std::uniform_int_distribution<std::size_t> start(0, std::size(kStarts) - 1);
    std::uniform_int_distribution<std::size_t> length(0, 80);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 1);
    std::string file(kStarts[start(rng)]);
    for (std::size_t n = length(rng); n > 0; --n)
        file.push_back(kAlphabet[pick(rng)]);
    return file;
}

TEST(IniDocument, ReproducesAnyFileByteForByte) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 5000; ++i) {
        const std::string file = RandomFile(rng);
        const IniDocument doc = IniDocument::Parse(file);
        ASSERT_EQ(doc.Serialize(), file) << "case " << i;
        doc.Find("S", "k");
        doc.Find("", "");
    }
}

bool IsSubsequence(std::string_view part, std::string_view whole) {
    std::size_t at = 0;
    for (char c : whole) {
        if (at < part.size() && part[at] == c)
            ++at;
    }
    return at == part.size();
}

TEST(IniDocument, WritingOnlyAddsOrReplacesItsOwnLine) {
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        const std::string file = RandomFile(rng);
        IniDocument doc = IniDocument::Parse(file);
        // "Zq" cannot occur in the random text, so the first write only inserts.
        ASSERT_TRUE(doc.Set("S", "Zq", "first")) << "case " << i;
        const std::string once = doc.Serialize();
        EXPECT_TRUE(IsSubsequence(file, once)) << "case " << i;
        // The second replaces that line in place: only the value's length changes.
        ASSERT_TRUE(doc.Set("s", "ZQ", "second!")) << "case " << i;
        const std::string twice = doc.Serialize();
        const bool wide = doc.Encoding() == IniEncoding::kUtf16Le || doc.Encoding() == IniEncoding::kUtf16Be;
        EXPECT_EQ(twice.size(), once.size() + (wide ? 4 : 2)) << "case " << i;
        const IniDocument again = IniDocument::Parse(twice);
        ASSERT_EQ(again.Encoding(), doc.Encoding()) << "case " << i;
        const auto value = again.Find("S", "zq");
        ASSERT_TRUE(value.has_value()) << "case " << i;
        EXPECT_EQ(*value, "second!") << "case " << i;
    }
}

}  // namespace
}  // namespace cpe::platform
