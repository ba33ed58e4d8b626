#include "platform/codepage.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/unicode_text.h"

namespace cpe::platform {

namespace {

std::mutex g_codesetMutex;
std::string g_pinnedCodeset;  // guarded by g_codesetMutex; empty = the locale's own

bool IsUtf8Name(std::string_view name) { return EqualsNoCase(name, "UTF-8") || EqualsNoCase(name, "UTF8"); }

// The code set named in the locale variables ("zh_CN.GBK" -> "GBK"), for a locale that is not
// installed on this machine.
std::string CodesetFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || value[0] == '\0')
            continue;
        const std::string_view name(value);
        const std::size_t dot = name.find('.');
        if (dot == std::string_view::npos)
            return {};
        return std::string(name.substr(dot + 1, name.find('@', dot) - dot - 1));
    }
    return {};
}

bool IconvKnows(const std::string& codeset) {
    const iconv_t cd = iconv_open("UTF-8", codeset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

}  // namespace

// Read without touching the process-wide locale (other threads may be using it). The plain C
// locale reports ASCII; device texts and files on Linux are UTF-8 then.
std::string LocaleCodeset() {
    std::string codeset;
    if (locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))) {
        const char* name = nl_langinfo_l(CODESET, loc);
        if (name != nullptr)
            codeset = name;
        freelocale(loc);
    } else {
        codeset = CodesetFromEnvironment();
        if (!codeset.empty() && !IconvKnows(codeset))
            codeset.clear();
    }
    if (codeset.empty() || EqualsNoCase(codeset, "ANSI_X3.4-1968") || EqualsNoCase(codeset, "ASCII") ||
        EqualsNoCase(codeset, "US-ASCII")) {
        codeset = "UTF-8";
    }
    return codeset;
}

namespace {

const std::string& DefaultCodeset() {
    static const std::string codeset = LocaleCodeset();
    return codeset;
}

// iconv descriptors keep shift state and must not be shared between threads, and opening one
// costs far more than a short conversion; each thread keeps the few it has used.
class ConverterCache {
public:
    ConverterCache() = default;
    ConverterCache(const ConverterCache&) = delete;
    ConverterCache& operator=(const ConverterCache&) = delete;
    ~ConverterCache() {
        for (auto& entry : entries_)
            iconv_close(entry.cd);
    }

    // nullptr when iconv does not know one of the code sets.
    iconv_t Get(std::string_view from, std::string_view to) {
        for (auto& entry : entries_) {
            if (entry.from == from && entry.to == to) {
                iconv(entry.cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
                return entry.cd;
            }
        }
        const iconv_t cd = iconv_open(std::string(to).c_str(), std::string(from).c_str());
        if (cd == reinterpret_cast<iconv_t>(-1))
            return nullptr;
        if (entries_.size() >= kMaxEntries) {
            iconv_close(entries_.front().cd);
            entries_.erase(entries_.begin());
        }
        entries_.push_back({std::string(from), std::string(to), cd});
        return cd;
    }

private:
    static constexpr std::size_t kMaxEntries = 8;
    struct Entry {
        std::string from;
        std::string to;
        iconv_t cd;
    };
    std::vector<Entry> entries_;
};

thread_local ConverterCache t_converters;

enum class OnBadInput { kFail, kReplace };

// Runs one whole conversion. With Replace, an undecodable input byte becomes `replacement`
// (already in the target code set) and the conversion goes on with the next byte.
bool RunIconv(std::string_view from, std::string_view to, std::string_view in, std::string& out, OnBadInput onBad,
              std::string_view replacement) {
    out.clear();
    const iconv_t cd = t_converters.Get(from, to);
    if (cd == nullptr)
        return false;
    std::string buffer(in.size() * 2 + 16, '\0');
    std::size_t produced = 0;
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    // One iconv step into the free part of the buffer; `flush` writes the final shift sequence.
    auto step = [&](bool flush) {
        char* outPtr = buffer.data() + produced;
        std::size_t outLeft = buffer.size() - produced;
        const std::size_t rc =
            flush ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft) : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int err = rc == static_cast<std::size_t>(-1) ? errno : 0;
        produced = static_cast<std::size_t>(outPtr - buffer.data());
        if (err == E2BIG)
            buffer.resize(buffer.size() * 2);
        return err;
    };
    while (inLeft > 0) {
        const int err = step(false);
        if (err == 0 || err == E2BIG)
            continue;
        if ((err != EILSEQ && err != EINVAL) || onBad != OnBadInput::kReplace)
            return false;
        buffer.replace(produced, 0, replacement);
        produced += replacement.size();
        ++inPtr;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    for (;;) {
        const int err = step(true);
        if (err == 0)
            break;
        if (err != E2BIG)
            return false;
    }
    buffer.resize(produced);
    out = std::move(buffer);
    return true;
}

std::string Utf8Lossy(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size())
        AppendUtf8(out, DecodeUtf8(text, pos));
    return out;
}

}  // namespace

std::string AnsiCodeset() {
    {
        std::lock_guard lock(g_codesetMutex);
        if (!g_pinnedCodeset.empty())
            return g_pinnedCodeset;
    }
    return DefaultCodeset();
}

void SetAnsiCodeset(std::string_view codeset) {
    std::lock_guard lock(g_codesetMutex);
    g_pinnedCodeset = std::string(codeset);
}

bool ConvertCodeset(std::string_view fromCodeset, std::string_view toCodeset, std::string_view in, std::string& out) {
    if (IsUtf8Name(fromCodeset) && IsUtf8Name(toCodeset)) {
        if (!IsValidUtf8(in)) {
            out.clear();
            return false;
        }
        out.assign(in);
        return true;
    }
    if (IsUtf8Name(fromCodeset) && !IsValidUtf8(in)) {
        out.clear();
        return false;
    }
    return RunIconv(fromCodeset, toCodeset, in, out, OnBadInput::kFail, {});
}

std::string AnsiToUtf8Lossy(std::string_view ansi) {
    const std::string codeset = AnsiCodeset();
    if (IsUtf8Name(codeset) || IsAscii(ansi))
        return Utf8Lossy(ansi);
    std::string out;
    if (RunIconv(codeset, "UTF-8", ansi, out, OnBadInput::kReplace, "\xEF\xBF\xBD"))
        return out;
    return Utf8Lossy(ansi);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = DecodeUtf8(utf8, pos);
        if (cp > 0xFFFF) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                (static_cast<char32_t>(utf16[i + 1]) - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit);  // a lone surrogate becomes U+FFFD
        }
    }
    return out;
}

std::u16string AnsiToWide(std::string_view ansi) {
    std::string utf8;
    if (!ConvertCodeset(AnsiCodeset(), "UTF-8", ansi, utf8))
        return {};
    return Utf8ToUtf16(utf8);
}

std::string WideToAnsi(std::u16string_view wide) {
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return {};
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= wide.size() || wide[i + 1] < 0xDC00 || wide[i + 1] > 0xDFFF)
                return {};
            ++i;
        }
    }
    std::string ansi;
    if (!ConvertCodeset("UTF-8", AnsiCodeset(), Utf16ToUtf8(wide), ansi))
        return {};
    return ansi;
}

}  // namespace cpe::platform
