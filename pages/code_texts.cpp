#include "pages/code_texts.h"

#include "lang/language.h"
#include "protocol/codes.h"

#include <string_view>

namespace cpe {
namespace {

std::string TranslatedOrEmpty(std::string_view key) { return key.empty() ? std::string() : TranslateString(key); }

}  // namespace

std::string StatusText(int statusCode) { return TranslatedOrEmpty(StatusKey(statusCode)); }

std::string WorkModeText(int workMode) { return TranslatedOrEmpty(WorkModeKey(workMode)); }

std::string SecureModeText(int secureMode) { return TranslatedOrEmpty(SecureModeKey(secureMode)); }

std::string ChannelText(int channel) { return channel == 0 ? TranslateString("Auto") : std::to_string(channel); }

}  // namespace cpe
