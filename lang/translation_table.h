// The translations of one language file: the entries of its "ProgramOutStr" section by key, keys
// matched without regard to case, values with their markers replaced (\r\n and \n break lines,
// [~NullInfoVexa~] is removed, [~Null~] is a space) and cut like the profile API cuts them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace cpe {

class TranslationTable {
public:
    // Translations are read into a 1023-character buffer: at most 1022 characters survive.
    static constexpr std::size_t kValueBufferChars = 1023;

    // The entries of the file; none when it is missing or empty.
    static TranslationTable Read(const std::string& languageFile);

    // The translation of `key`, or null when the key itself is shown: no entry, or the first
    // entry of the key has an empty value (it hides later ones, as a file lookup would). A value
    // made only of the removal marker translates to an empty text.
    const std::string* Find(std::string_view key) const;
    bool Empty() const { return texts_.empty(); }

private:
    std::unordered_map<std::string, std::optional<std::string>> texts_;  // by case-folded key
};

}  // namespace cpe
