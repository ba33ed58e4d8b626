#include "lang/translation_table.h"

#include <sys/stat.h>

#include "platform/ini_file.h"
#include "platform/unicode_text.h"

namespace cpe {
namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

std::string ReplaceMarkers(std::string text) {
    ReplaceAll(text, "\\r\\n", "\r\n");
    ReplaceAll(text, "\\n", "\n");
    ReplaceAll(text, "[~NullInfoVexa~]", "");
    ReplaceAll(text, "[~Null~]", " ");
    return text;
}

bool IsNonEmptyFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && st.st_size > 0;
}

}  // namespace

TranslationTable TranslationTable::Read(const std::string& languageFile) {
    TranslationTable table;
    if (!IsNonEmptyFile(languageFile))
        return table;
    for (auto& [key, value] : platform::ReadProfileSection("ProgramOutStr", kValueBufferChars, languageFile)) {
        std::optional<std::string> text;
        if (!value.empty())
            text = ReplaceMarkers(std::move(value));
        table.texts_.try_emplace(platform::FoldCase(key), std::move(text));
    }
    return table;
}

const std::string* TranslationTable::Find(std::string_view key) const {
    const auto it = texts_.find(platform::FoldCase(platform::TrimBlanks(key)));
    if (it == texts_.end() || !it->second)
        return nullptr;
    return &*it->second;
}

}  // namespace cpe
