#include "lang/placeholders.h"

namespace cpe {

std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& values) {
    std::string text;
    std::size_t next = 0;
    std::size_t from = 0;
    for (std::size_t at = pattern.find('%'); at != std::string_view::npos && next < values.size();
         at = pattern.find('%', at + 1)) {
        if (at + 1 < pattern.size() && (pattern[at + 1] == 's' || pattern[at + 1] == 'd')) {
            text.append(pattern.substr(from, at - from)).append(values[next++]);
            from = at + 2;
            ++at;  // past the conversion letter
        }
    }
    return text.append(pattern.substr(from));
}

}  // namespace cpe
