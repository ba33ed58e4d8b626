#include "upgrade/upgrade_texts.h"

#include "actions/upgrade/operate_system_info.h"
#include "ui/page_text.h"
#include "upgrade/upgrade_messages.h"

#include <QRegularExpression>

namespace cpe {

QString FilledText(const char* key, const QStringList& values) {
    static const QRegularExpression placeholder(QStringLiteral("%[sd]"));
    const QString pattern = PageText(key);
    QString text;
    qsizetype from = 0;
    qsizetype next = 0;
    for (auto it = placeholder.globalMatch(pattern); it.hasNext() && next < values.size();) {
        const QRegularExpressionMatch match = it.next();
        text += pattern.mid(from, match.capturedStart() - from) + values[next++];
        from = match.capturedEnd();
    }
    return text + pattern.mid(from);
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
