// libFuzzer entry: any bytes as an ini file, through the encoding choice (UTF-16 or UTF-8 by
// byte-order mark, UTF-8 or the ANSI code set by content), the line classification, the lookups
// of the profile API and an in-place rewrite.
//
// Input: the first byte picks the ANSI code set (UTF-8, GBK or CP1252), the rest is the file.
// Properties: a parsed file serialises back to its exact bytes; every key a section lists is
// found by a lookup; a value handed out fits the caller's buffer; a key written is read back and
// changes no entry of another section.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/ini_document.h"
#include "platform/unicode_text.h"

namespace {

using cpe::platform::IniDocument;

constexpr std::string_view kSections[] = {"Color", "Font", "LCID", "ProgramOutStr", "TFTPD32", "SERVER"};
constexpr std::size_t kBuffers[] = {1, 2, 64, 1023};

void Check(bool holds) {
    if (!holds)
        std::abort();
}

void CheckLookups(const IniDocument& doc, std::string_view section) {
    std::size_t visited = 0;
    doc.ForEachEntry(section, [&](std::string_view key, std::string_view value) {
        if (++visited > 64)
            return;
        Check(doc.Find(section, key).has_value());
        for (std::size_t chars : kBuffers)
            Check(cpe::platform::Utf8ToUtf16(cpe::platform::ProfileValue(value, chars)).size() < chars);
    });
}

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const IniDocument& doc, std::string_view section) {
    Entries entries;
    doc.ForEachEntry(section, [&](std::string_view key, std::string_view value) { entries.emplace_back(key, value); });
    return entries;
}

// A key written is read back, and every entry of the other sections stays as it was.
void CheckRewrite(const IniDocument& doc) {
    IniDocument changed = doc;
    if (!changed.Set("Fuzz", "Key", "value ü 设备"))
        return;
    const IniDocument reread = IniDocument::Parse(changed.Serialize());
    Check(reread.Find("Fuzz", "Key") == std::optional<std::string_view>("value ü 设备"));
    for (std::string_view section : kSections)
        Check(EntriesOf(reread, section) == EntriesOf(doc, section));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const char* const kCodesets[] = {"UTF-8", "GBK", "CP1252"};
    static const char* current = nullptr;
    const char* codeset = kCodesets[data[0] % 3];
    if (codeset != current) {
        cpe::platform::SetAnsiCodeset(codeset);
        current = codeset;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const IniDocument doc = IniDocument::Parse(bytes);
    Check(doc.Serialize() == bytes);
    for (std::string_view section : kSections)
        CheckLookups(doc, section);
    CheckRewrite(doc);
    return 0;
}
