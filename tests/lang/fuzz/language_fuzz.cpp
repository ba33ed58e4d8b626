// libFuzzer entry: any bytes as the language index and a language file, read as start-up reads
// them: the index entry of the locale, then the file's translations and lookups by key.
//
// Input: the first byte picks the locale (2052, 1033 or one without an entry); the rest, when it
// holds the line "<<<lng>>>", is the index before it and the language file after it, otherwise
// the language file alone under a fixed index.
// Properties: every key of the file is found without regard to ASCII case, and no translation is
// longer than the 1022 characters the reader keeps.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "lang/translation_table.h"
#include "platform/codepage.h"
#include "platform/ini_file.h"

namespace {

constexpr std::string_view kSeparator = "\n<<<lng>>>\n";
constexpr std::string_view kFixedIndex = "[LCID]\r\n2052=Chinese\r\n1033=English\r\n";
constexpr const char* kProgramKeys[] = {"Device status", "Search", "Online device count:%d",
                                        "Failed to open database, unable to get data.", "Product_url"};

class Folder {
public:
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "cpe-language-fuzz-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        std::filesystem::create_directories(path_ / "Languages");
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path Write(const std::string& name, std::string_view bytes) const {
        const auto file = path_ / "Languages" / name;
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

private:
    std::filesystem::path path_;
};

void Check(bool holds) {
    if (!holds)
        std::abort();
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void CheckLookup(const cpe::TranslationTable& table, const std::string& key) {
    const std::string* text = table.Find(key);
    Check(table.Find(UpperAscii(key)) == text);
    if (text != nullptr)
        Check(cpe::platform::Utf8ToUtf16(*text).size() <= cpe::TranslationTable::kValueBufferChars - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Folder folder;
    if (size == 0)
        return 0;
    static const char* const kLocales[] = {"2052", "1033", "1031"};
    const char* locale = kLocales[data[0] % 3];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = rest.find(kSeparator);
    const std::string_view index = split == std::string_view::npos ? kFixedIndex : rest.substr(0, split);
    const std::string_view file = split == std::string_view::npos ? rest : rest.substr(split + kSeparator.size());

    const auto indexFile = folder.Write("Language.ini", index);
    const std::string name = cpe::platform::GetPrivateProfileString("LCID", locale, "", 260, indexFile);
    Check(cpe::platform::Utf8ToUtf16(name).size() <= 259);

    const auto languageFile = folder.Write("Fuzz.lng", file);
    const cpe::TranslationTable table = cpe::TranslationTable::Read(languageFile.string());
    std::size_t keys = 0;
    for (const auto& [key, value] : cpe::platform::ReadProfileSection("ProgramOutStr", 1023, languageFile)) {
        if (++keys > 64)
            break;
        CheckLookup(table, key);
    }
    for (const char* key : kProgramKeys)
        CheckLookup(table, key);
    return 0;
}
