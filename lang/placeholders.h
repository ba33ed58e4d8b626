// The "%s" and "%d" placeholders of a translated message, filled with the details of the moment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cpe {

// `pattern` with its placeholders replaced, in order, by `values`; placeholders beyond the values
// stay as they stand, and a value's own text is never read as one.
std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& values);

}  // namespace cpe
