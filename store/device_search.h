// The device list's search: a text typed by the operator matches a device when it occurs,
// as a plain substring and without regard to ASCII case, inside any of the searched
// columns; numbers match by their decimal text. Nothing in the text is a wildcard.
#pragma once

#include <sqlite3.h>

#include <string_view>

namespace cpe::store {

// Name of the SQL function: device_search_match(text, value1, ..., valueN) is 1 when text
// occurs in any value, else 0.
inline constexpr const char* kSearchFunction = "device_search_match";

bool ContainsFolded(std::string_view haystack, std::string_view needle);

// Makes the function known to one connection.
bool RegisterSearchFunction(sqlite3* db);

}  // namespace cpe::store
