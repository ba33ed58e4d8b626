#include "lang/language.h"

#include <sys/stat.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/ini_file.h"
#include "platform/system_info.h"
#include "platform/unicode_text.h"

namespace cpe {

namespace {

constexpr std::uint16_t kEnglishLcid = 1033;
constexpr std::size_t kIndexValueChars = 260;
// Translations are read into a 1023-character buffer: at most 1022 characters survive.
constexpr std::size_t kTranslationBufferChars = 1023;

struct LanguageState {
    std::uint16_t lcid = kEnglishLcid;
    std::string name = "English";
    std::string filePath;
    // Case-folded key -> translation with its markers replaced. An entry with an empty value
    // maps to nullopt (the key is shown) and still hides any later entry of the same key, as a
    // file lookup would; a value made only of the removal marker maps to an empty text.
    std::unordered_map<std::string, std::optional<std::string>> texts;
};

// Lookups run on many threads at once and take no lock: they read the state published last.
// States are only ever added (the language is chosen once per run; tests choose again), so a
// reference handed out by LanguageName() stays valid.
std::mutex g_publishMutex;
std::vector<std::unique_ptr<const LanguageState>> g_states;
std::atomic<const LanguageState*> g_current{nullptr};

const LanguageState& CurrentState() {
    static const LanguageState english;
    const LanguageState* state = g_current.load(std::memory_order_acquire);
    return state != nullptr ? *state : english;
}

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

bool InitLanguage(std::string_view programDir) { return InitLanguage(programDir, platform::SystemDefaultLcid()); }

bool InitLanguage(std::string_view programDir, std::uint16_t systemLcid) {
    std::string dir(programDir);
    if (!dir.empty() && dir.back() != '/')
        dir.push_back('/');

    auto state = std::make_unique<LanguageState>();
    const std::string name = platform::GetPrivateProfileString("LCID", std::to_string(systemLcid), "", kIndexValueChars,
                                                               dir + "Languages/Language.ini");
    if (name.empty()) {
        state->lcid = kEnglishLcid;
    } else {
        state->lcid = systemLcid;
        state->name = name;
    }
    state->filePath = dir + "Languages/" + state->name + ".lng";

    if (IsNonEmptyFile(state->filePath)) {
        for (auto& [key, value] :
             platform::ReadProfileSection("ProgramOutStr", kTranslationBufferChars, state->filePath)) {
            std::optional<std::string> text;
            if (!value.empty())
                text = ReplaceMarkers(std::move(value));
            state->texts.try_emplace(platform::FoldCase(key), std::move(text));
        }
    }

    std::lock_guard lock(g_publishMutex);
    g_states.push_back(std::move(state));
    g_current.store(g_states.back().get(), std::memory_order_release);
    return true;
}

std::string TranslateString(std::string_view key) {
    if (key.data() == nullptr)
        return {};
    const LanguageState& state = CurrentState();
    if (state.texts.empty())
        return std::string(key);
    const auto it = state.texts.find(platform::FoldCase(platform::TrimBlanks(key)));
    if (it == state.texts.end() || !it->second)
        return std::string(key);
    return *it->second;
}

std::uint16_t LanguageLcid() { return CurrentState().lcid; }

const std::string& LanguageName() { return CurrentState().name; }

const std::string& LanguageFilePath() { return CurrentState().filePath; }

}  // namespace cpe
