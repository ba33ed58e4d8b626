#include "app/help_menu.h"

#include "lang/language.h"
#include "platform/system_info.h"
#include "ui/translate_window.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace cpe {

std::unique_ptr<QMenu> BuildHelpMenu(QWidget* parent, const std::array<QPixmap, 4>& pictures) {
    auto menu = std::make_unique<QMenu>(parent);
    for (std::size_t i = 0; i < kHelpItems.size(); ++i) {
        const HelpItem& item = kHelpItems[i];
        QAction* action = menu->addAction(QString::fromUtf8(item.text));
        action->setData(item.id);
        if (!pictures[i].isNull())
            action->setIcon(QIcon(pictures[i]));
        const char* key = item.urlKey;
        QObject::connect(action, &QAction::triggered, menu.get(), [key] { OpenHelpAddress(key); });
    }
    TranslateMenu(menu.get());
    return menu;
}

QUrl ResolveHelpAddress(std::string_view text, std::string_view programDir) {
    const QString trimmed = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
    if (trimmed.isEmpty())
        return {};
    QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    const bool localPath = url.scheme().isEmpty() || url.scheme() == QLatin1String("file");
    if (!localPath)
        return url;
    QString path = url.path();
    if (QDir::isRelativePath(path))
        path = QString::fromUtf8(programDir.data(), static_cast<qsizetype>(programDir.size())) + path;
    if (!QFileInfo(path).isFile())
        return {};
    QUrl file = QUrl::fromLocalFile(QDir::cleanPath(path));
    file.setQuery(url.query());
    file.setFragment(url.fragment());
    return file;
}

bool OpenHelpAddress(std::string_view urlKey) {
    const QUrl url = ResolveHelpAddress(TranslateString(urlKey), platform::GetProgramDir());
    return !url.isEmpty() && QDesktopServices::openUrl(url);
}

}  // namespace cpe
