#include "pages/discovery_findings_text.h"

#include "lang/language.h"

namespace cpe {

QString DiscoveryFindingsText(const std::vector<actions::CheckFinding>& findings) {
    QString text = QString::fromStdString(TranslateString(kNoDeviceFoundKey));
    for (const actions::CheckFinding& finding : findings) {
        // A value that is a text of ours (a port's purpose) is translated too; numbers, addresses
        // and adapter names come back as they are.
        actions::CheckFinding shown = finding;
        for (std::string& value : shown.values)
            value = TranslateString(value);
        text += QLatin1Char('\n') + QString::fromStdString(shown.Text(TranslateString(finding.key)));
    }
    return text;
}

}  // namespace cpe
