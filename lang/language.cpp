#include "lang/language.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "lang/translation_table.h"
#include "platform/ini_file.h"
#include "platform/system_info.h"

namespace cpe {

namespace {

constexpr std::uint16_t kEnglishLcid = 1033;
constexpr std::size_t kIndexValueChars = 260;

struct LanguageState {
    std::uint16_t lcid = kEnglishLcid;
    std::string name = "English";
    std::string filePath;
    TranslationTable texts;
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
    state->texts = TranslationTable::Read(state->filePath);

    std::lock_guard lock(g_publishMutex);
    g_states.push_back(std::move(state));
    g_current.store(g_states.back().get(), std::memory_order_release);
    return true;
}

std::string TranslateString(std::string_view key) {
    if (key.data() == nullptr)
        return {};
    const std::string* text = CurrentState().texts.Find(key);
    return text != nullptr ? *text : std::string(key);
}

std::uint16_t LanguageLcid() { return CurrentState().lcid; }

const std::string& LanguageName() { return CurrentState().name; }

const std::string& LanguageFilePath() { return CurrentState().filePath; }

}  // namespace cpe
