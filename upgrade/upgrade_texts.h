// The upgrade's messages as the operator reads them: translated, with the details filled in.
#pragma once

#include <QString>
#include <QStringList>

namespace cpe {

namespace actions {
struct HelperLayout;
struct HelperRefusal;
struct HelperStart;
}  // namespace actions

// The translation of `key` with its "%s" and "%d" placeholders replaced, in order, by `values`;
// placeholders beyond the values stay as they stand, and a value's own text is never read as one.
QString FilledText(const char* key, const QStringList& values);
// Which helper did not start, where, and why.
QString HelperFailureText(const actions::HelperStart& failure, const actions::HelperLayout& layout);
// Why this account may not start the helper, and what to do about it.
QString RefusalText(const actions::HelperRefusal& refusal);

}  // namespace cpe
