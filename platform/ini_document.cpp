#include "platform/ini_document.h"

#include "platform/codepage.h"
#include "platform/unicode_text.h"

namespace cpe::platform {

namespace {

bool IsUtf16(IniEncoding encoding) { return encoding == IniEncoding::kUtf16Le || encoding == IniEncoding::kUtf16Be; }

char16_t UnitAt(std::string_view bytes, std::size_t pos, IniEncoding encoding) {
    const auto b0 = static_cast<unsigned char>(bytes[pos]);
    const auto b1 = static_cast<unsigned char>(bytes[pos + 1]);
    return encoding == IniEncoding::kUtf16Le ? static_cast<char16_t>(b0 | (b1 << 8))
                                             : static_cast<char16_t>((b0 << 8) | b1);
}

std::string Utf8Lossy(std::string_view text) {
    if (IsValidUtf8(text))
        return std::string(text);
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size())
        AppendUtf8(out, DecodeUtf8(text, pos));
    return out;
}

}  // namespace

IniLine ClassifyIniLine(std::string_view text) {
    const std::string_view line = TrimBlanks(text);
    if (line.empty())
        return {};
    if (line.front() == ';')
        return {IniLine::Kind::kComment, {}, {}};
    if (line.front() == '[') {
        const std::size_t close = line.rfind(']');
        if (close == 0 || close == std::string_view::npos)
            return {IniLine::Kind::kMalformed, {}, {}};
        return {IniLine::Kind::kSection, TrimBlanks(line.substr(1, close - 1)), {}};
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return {IniLine::Kind::kMalformed, {}, {}};
    return {IniLine::Kind::kEntry, TrimBlanks(line.substr(0, eq)), TrimBlanks(line.substr(eq + 1))};
}

std::string ProfileValue(std::string_view trimmedValue, std::size_t bufferChars) {
    if (bufferChars == 0)
        return {};
    std::string_view value = trimmedValue;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(CutToUtf16Units(value, bufferChars - 1));
}

IniDocument IniDocument::Parse(std::string_view bytes) {
    IniDocument doc;
    std::string_view body = bytes;
    if (body.starts_with("\xEF\xBB\xBF")) {
        doc.encoding_ = IniEncoding::kUtf8Bom;
    } else if (body.starts_with("\xFF\xFE")) {
        doc.encoding_ = IniEncoding::kUtf16Le;
    } else if (body.starts_with("\xFE\xFF")) {
        doc.encoding_ = IniEncoding::kUtf16Be;
    } else {
        doc.encoding_ = IsValidUtf8(body) ? IniEncoding::kUtf8 : IniEncoding::kAnsi;
    }
    const std::size_t bomSize = doc.encoding_ == IniEncoding::kUtf8Bom ? 3 : IsUtf16(doc.encoding_) ? 2 : 0;
    doc.bom_ = std::string(body.substr(0, bomSize));
    body.remove_prefix(bomSize);

    const std::size_t unit = IsUtf16(doc.encoding_) ? 2 : 1;
    if (body.size() % unit != 0) {
        doc.strayTail_ = std::string(body.substr(body.size() - 1));
        body.remove_suffix(1);
    }
    auto unitAt = [&](std::size_t pos) -> char16_t {
        return unit == 2 ? UnitAt(body, pos, doc.encoding_)
                         : static_cast<char16_t>(static_cast<unsigned char>(body[pos]));
    };

    bool newlineSeen = false;
    std::size_t start = 0;
    std::size_t pos = 0;
    while (pos < body.size()) {
        const char16_t u = unitAt(pos);
        if (u != u'\r' && u != u'\n') {
            pos += unit;
            continue;
        }
        std::size_t endLength = unit;
        if (u == u'\r' && pos + unit < body.size() && unitAt(pos + unit) == u'\n')
            endLength += unit;
        if (!newlineSeen) {
            doc.newline_ = endLength == 2 * unit ? "\r\n" : (u == u'\r' ? "\r" : "\n");
            newlineSeen = true;
        }
        Line line;
        line.raw = std::string(body.substr(start, pos - start));
        line.rawEnd = std::string(body.substr(pos, endLength));
        line.text = doc.Decode(line.raw);
        doc.lines_.push_back(std::move(line));
        pos += endLength;
        start = pos;
    }
    if (start < body.size()) {
        Line line;
        line.raw = std::string(body.substr(start));
        line.text = doc.Decode(line.raw);
        doc.lines_.push_back(std::move(line));
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::string out = bom_;
    for (const Line& line : lines_) {
        out += line.raw;
        out += line.rawEnd;
    }
    out += strayTail_;
    return out;
}

std::string IniDocument::Decode(std::string_view raw) const {
    switch (encoding_) {
    case IniEncoding::kUtf8:
    case IniEncoding::kUtf8Bom: return Utf8Lossy(raw);
    case IniEncoding::kUtf16Le:
    case IniEncoding::kUtf16Be: {
        std::u16string units;
        units.reserve(raw.size() / 2);
        for (std::size_t pos = 0; pos + 1 < raw.size(); pos += 2)
            units.push_back(UnitAt(raw, pos, encoding_));
        return Utf16ToUtf8(units);
    }
    case IniEncoding::kAnsi: return AnsiToUtf8Lossy(raw);
    }
    return {};
}

std::optional<std::string> IniDocument::Encode(std::string_view text) const {
    if (!IsValidUtf8(text))
        return std::nullopt;
    switch (encoding_) {
    case IniEncoding::kUtf8:
    case IniEncoding::kUtf8Bom: return std::string(text);
    case IniEncoding::kUtf16Le:
    case IniEncoding::kUtf16Be: {
        std::string out;
        for (char16_t u : Utf8ToUtf16(text)) {
            const char lo = static_cast<char>(u & 0xFF);
            const char hi = static_cast<char>(u >> 8);
            out.push_back(encoding_ == IniEncoding::kUtf16Le ? lo : hi);
            out.push_back(encoding_ == IniEncoding::kUtf16Le ? hi : lo);
        }
        return out;
    }
    case IniEncoding::kAnsi: {
        std::string out;
        if (!ConvertCodeset("UTF-8", AnsiCodeset(), text, out))
            return std::nullopt;
        return out;
    }
    }
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
    const std::string_view wanted = TrimBlanks(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const IniLine line = ClassifyIniLine(lines_[i].text);
        if (line.kind == IniLine::Kind::kSection && EqualsNoCase(line.name, wanted))
            return i;
    }
    return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t sectionLine) const {
    for (std::size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        if (ClassifyIniLine(lines_[i].text).kind == IniLine::Kind::kSection)
            return i;
    }
    return lines_.size();
}

std::optional<std::string_view> IniDocument::Find(std::string_view section, std::string_view key) const {
    const auto sectionLine = FindSection(section);
    if (!sectionLine)
        return std::nullopt;
    const std::string_view wanted = TrimBlanks(key);
    const std::size_t end = SectionEnd(*sectionLine);
    for (std::size_t i = *sectionLine + 1; i < end; ++i) {
        const IniLine line = ClassifyIniLine(lines_[i].text);
        if (line.kind == IniLine::Kind::kEntry && EqualsNoCase(line.name, wanted))
            return line.value;
    }
    return std::nullopt;
}

void IniDocument::ForEachEntry(std::string_view section,
                               const std::function<void(std::string_view, std::string_view)>& visit) const {
    const auto sectionLine = FindSection(section);
    if (!sectionLine)
        return;
    const std::size_t end = SectionEnd(*sectionLine);
    for (std::size_t i = *sectionLine + 1; i < end; ++i) {
        const IniLine line = ClassifyIniLine(lines_[i].text);
        if (line.kind == IniLine::Kind::kEntry)
            visit(line.name, line.value);
    }
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string name(TrimBlanks(key));
    const std::string entry = name + "=" + std::string(value);
    const auto sectionLine = FindSection(section);
    if (!sectionLine) {
        std::vector<std::string> added;
        if (!lines_.empty() && ClassifyIniLine(lines_.back().text).kind != IniLine::Kind::kBlank) {
            added.emplace_back();
        }
        added.push_back("[" + std::string(TrimBlanks(section)) + "]");
        added.push_back(entry);
        return InsertLines(lines_.size(), added);
    }
    const std::size_t end = SectionEnd(*sectionLine);
    for (std::size_t i = *sectionLine + 1; i < end; ++i) {
        const IniLine line = ClassifyIniLine(lines_[i].text);
        if (line.kind != IniLine::Kind::kEntry || !EqualsNoCase(line.name, name))
            continue;
        // Keep the key as the file spells it.
        std::string replaced = std::string(line.name) + "=" + std::string(value);
        auto raw = Encode(replaced);
        if (!raw)
            return false;
        lines_[i].raw = std::move(*raw);
        lines_[i].text = std::move(replaced);
        return true;
    }
    std::size_t at = end;
    while (at > *sectionLine + 1 && ClassifyIniLine(lines_[at - 1].text).kind == IniLine::Kind::kBlank)
        --at;
    return InsertLines(at, {entry});
}

bool IniDocument::InsertLines(std::size_t at, const std::vector<std::string>& texts) {
    const auto rawEnd = Encode(newline_);
    if (!rawEnd)
        return false;
    std::vector<Line> added;
    for (const std::string& text : texts) {
        auto raw = Encode(text);
        if (!raw)
            return false;
        added.push_back({std::move(*raw), *rawEnd, text});
    }
    if (at > 0 && lines_[at - 1].rawEnd.empty())
        lines_[at - 1].rawEnd = *rawEnd;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
    return true;
}

}  // namespace cpe::platform
