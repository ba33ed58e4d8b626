// An ini file held as its lines. Every line keeps its original bytes next to its decoded text,
// so a rewrite changes only the lines it touches: comments, malformed lines and bytes that do
// not decode survive untouched.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cpe::platform {

enum class IniEncoding { kUtf8, kUtf8Bom, kUtf16Le, kUtf16Be, kAnsi };

// What one decoded line is. Views point into the line's text.
struct IniLine {
    enum class Kind { kBlank, kComment, kSection, kEntry, kMalformed };
    Kind kind = Kind::kBlank;
    std::string_view name;   // section name or key, trimmed
    std::string_view value;  // entry value, trimmed
};
IniLine ClassifyIniLine(std::string_view text);

// A value as the profile API hands it out: one pair of surrounding quotes removed, then cut to
// bufferChars - 1 UTF-16 code units.
std::string ProfileValue(std::string_view trimmedValue, std::size_t bufferChars);

class IniDocument {
public:
    // A new, empty file (UTF-8 without byte-order mark, CR LF line ends).
    IniDocument() = default;
    // Takes the file's bytes: a byte-order mark selects UTF-16 or UTF-8; without one, text that
    // is valid UTF-8 is read as UTF-8 and anything else in the ANSI code set.
    static IniDocument Parse(std::string_view bytes);

    std::string Serialize() const;
    IniEncoding Encoding() const { return encoding_; }

    // Trimmed value of the first entry `key` of the first section `section` (no regard to case).
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    // Calls `visit(key, trimmedValue)` for each entry of the first section `section`, in order.
    void ForEachEntry(std::string_view section,
                      const std::function<void(std::string_view, std::string_view)>& visit) const;
    // Replaces the entry in place or adds it (and the section) at the end of its section. False,
    // with the document unchanged, when the text cannot be written in the file's encoding.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Line {
        std::string raw;     // bytes in the file's encoding, without the line end
        std::string rawEnd;  // the line end in the file's encoding; empty on the last line
        std::string text;    // decoded UTF-8
    };

    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::size_t SectionEnd(std::size_t sectionLine) const;
    std::string Decode(std::string_view raw) const;
    std::optional<std::string> Encode(std::string_view text) const;
    bool InsertLines(std::size_t at, const std::vector<std::string>& texts);

    IniEncoding encoding_ = IniEncoding::kUtf8;
    std::string bom_;
    std::string strayTail_;  // an odd last byte of a UTF-16 file, kept as it was
    std::string newline_ = "\r\n";
    std::vector<Line> lines_;
};

}  // namespace cpe::platform
