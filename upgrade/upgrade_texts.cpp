#include "upgrade/upgrade_texts.h"

#include "actions/upgrade/helper_permission.h"
#include "actions/upgrade/operate_system_info.h"
#include "lang/placeholders.h"
#include "ui/page_text.h"
#include "upgrade/upgrade_messages.h"

namespace cpe {

QString FilledText(const char* key, const QStringList& values) {
    std::vector<std::string> texts;
    for (const QString& value : values)
        texts.push_back(value.toStdString());
    return QString::fromStdString(FillPlaceholders(PageText(key).toStdString(), texts));
}

QString RefusalText(const actions::HelperRefusal& refusal) {
    return QString::fromStdString(FillPlaceholders(PageText(refusal.key).toStdString(), refusal.values));
}

QString HelperFailureText(const actions::HelperStart& failure, const actions::HelperLayout& layout) {
    const QString reason = QString::fromStdString(failure.reason);
    if (failure.helper == actions::HelperKind::kFileServer)
        return FilledText(upgrade_message::kFileServerFailed,
                          {QString::fromStdString(layout.fileServerExecutable), reason});
    return FilledText(upgrade_message::kTftpFailed,
                      {QString::fromStdString(layout.tftpExecutable), QString::fromStdString(failure.address), reason});
}

}  // namespace cpe
