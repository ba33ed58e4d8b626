// Where the store keeps its database file and how the connection names it. The file lives
// for one run: in the program folder, or in the user's runtime folder when the program
// folder cannot be written (an installed program).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace cpe::store {

inline constexpr std::string_view kDatabaseFileName = "data.mdb";

// folder + one separator unless it already ends with one + "data.mdb".
std::string DatabaseFileIn(std::string_view folder);
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" followed by the path.
std::string ConnectionStringFor(const std::filesystem::path& file);
// The program folder's file when the program may write there, else the private runtime folder's;
// empty when there is no private runtime folder either (the store then cannot open).
std::filesystem::path DefaultDatabaseFile();

}  // namespace cpe::store
