#include "store/device_search.h"

#include <charconv>

namespace cpe::store {
namespace {

unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

void SearchMatch(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const auto* needleText = sqlite3_value_text(argv[0]);
    const std::string_view needle(reinterpret_cast<const char*>(needleText),
                                  needleText != nullptr ? static_cast<std::size_t>(sqlite3_value_bytes(argv[0])) : 0);
    for (int i = 1; i < argc; ++i) {
        std::string_view value;
        char digits[24];
        switch (sqlite3_value_type(argv[i])) {
        case SQLITE_INTEGER: {
            const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, sqlite3_value_int64(argv[i]));
            value = std::string_view(digits, ec == std::errc() ? static_cast<std::size_t>(end - digits) : 0);
            break;
        }
        case SQLITE_TEXT: {
            const auto* text = sqlite3_value_text(argv[i]);
            value = std::string_view(reinterpret_cast<const char*>(text),
                                     static_cast<std::size_t>(sqlite3_value_bytes(argv[i])));
            break;
        }
        default: continue;  // NULL matches nothing; the searched columns hold no other kinds
        }
        if (ContainsFolded(value, needle)) {
            sqlite3_result_int(context, 1);
            return;
        }
    }
    sqlite3_result_int(context, 0);
}

}  // namespace

bool ContainsFolded(std::string_view haystack, std::string_view needle) {
    if (needle.size() > haystack.size())
        return false;
    const unsigned char first = FoldAscii(static_cast<unsigned char>(needle.empty() ? 0 : needle[0]));
    for (std::size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
        if (!needle.empty() && FoldAscii(static_cast<unsigned char>(haystack[start])) != first)
            continue;
        std::size_t k = 1;
        while (k < needle.size() && FoldAscii(static_cast<unsigned char>(haystack[start + k])) ==
                                        FoldAscii(static_cast<unsigned char>(needle[k])))
            ++k;
        if (k >= needle.size())
            return true;
    }
    return false;
}

bool RegisterSearchFunction(sqlite3* db) {
    return sqlite3_create_function_v2(db, kSearchFunction, -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
                                      nullptr, SearchMatch, nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace cpe::store
