#include "actions/config/check_failure.h"

#include "lang/language.h"

namespace cpe::actions {
namespace {

// Puts `args` in place of the "%d" marks of `text`, in order. Any other "%" is kept as it stands,
// so a translation can never make the formatting read what is not there.
std::string FillNumbers(std::string_view text, const std::vector<int>& args) {
    std::string out;
    out.reserve(text.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 'd' && next < args.size()) {
            out += std::to_string(args[next++]);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string TranslateWithNumbers(std::string_view key, const std::vector<int>& args) {
    return FillNumbers(TranslateString(key), args);
}

std::string CheckFailure::Text() const { return TranslateWithNumbers(key, args); }

}  // namespace cpe::actions
