#include "ui/message_box.h"

#include "ui/page_text.h"

#include <QMessageBox>
#include <utility>

namespace cpe {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::kExclamation: return QMessageBox::Warning;
    case MessageIcon::kQuestion: return QMessageBox::Question;
    case MessageIcon::kNone: return QMessageBox::NoIcon;
    case MessageIcon::kInformation: break;
    }
    return QMessageBox::Information;
}

QString CaptionText(MessageCaption caption) {
    return caption == MessageCaption::kApplication ? PageText("CPEManagement") : QString();
}

}  // namespace

int ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon, MessageButtons buttons,
                   MessageCaption caption) {
    if (const MessageBoxHook& hook = Hook())
        return hook(MessageBoxRequest{parent, text, icon, buttons, caption});
    const auto standard = buttons == MessageButtons::kOkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                               : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(ToQtIcon(icon), CaptionText(caption), text, standard, parent);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) { return std::exchange(Hook(), std::move(hook)); }

}  // namespace cpe
