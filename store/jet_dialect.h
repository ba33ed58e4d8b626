// The table statements of the store are written in the Jet dialect; this turns them into
// SQLite statements. Column types map as the Jet engine treats them:
//   Counter           -> integer primary key (numbered automatically)
//   long, int, ...    -> integer
//   double, single    -> real
//   char(n), text(n)  -> kept as declared, so the width stays readable; compared without case
// and "ALTER TABLE t ADD a long, b char(18)" becomes one ADD COLUMN statement per column.
// Every other statement passes through unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cpe::store {

// The SQLite statements that together do what the given statement does. A statement that is
// not a table statement, or that cannot be understood, comes back as it is.
std::vector<std::string> TranslateJetStatement(std::string_view statement);

// The width n of a fixed-width text type "char(n)" (or "character(n)"); none for any other
// declared type. Such columns read back padded with blanks to n characters.
std::optional<int> FixedTextWidth(std::string_view declaredType);

}  // namespace cpe::store
