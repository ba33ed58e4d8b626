// Language selection and translation lookup by English key. Qt-free, so that code without
// widgets can translate too; window, menu and combo-box translation live with the widgets.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cpe {

// Selects the language file from "<programDir>Languages/Language.ini" for the system locale.
bool InitLanguage(std::string_view programDir);
// As above with an explicit locale identifier (tests; start-up passes SystemDefaultLcid()).
bool InitLanguage(std::string_view programDir, std::uint16_t systemLcid);

// The translated text of a key (UTF-8); the key itself when there is no translation. Safe to
// call from any thread; the language file is read once, by InitLanguage.
std::string TranslateString(std::string_view key);

std::uint16_t LanguageLcid();       // 1033 when the index had no entry for the locale
const std::string& LanguageName();  // "English" by default
const std::string& LanguageFilePath();

}  // namespace cpe
