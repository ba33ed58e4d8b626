#include "ui/message_box.h"

#include "ui/page_text.h"

#include <QMessageBox>
#include <memory>
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
    case MessageIcon::kError: return QMessageBox::Critical;
    case MessageIcon::kInformation: break;
    }
    return QMessageBox::Information;
}

}  // namespace

QMessageBox* MakeMessageBox(QWidget* parent, const QString& text, MessageIcon icon, MessageButtons buttons) {
    const auto standard = buttons == MessageButtons::kOkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                               : QMessageBox::StandardButtons(QMessageBox::Ok);
    auto* box = new QMessageBox(ToQtIcon(icon), PageText("CPEManagement"), text, standard, parent);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(buttons == MessageButtons::kOkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box;
}

int ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon, MessageButtons buttons) {
    if (const MessageBoxHook& hook = Hook())
        return hook(MessageBoxRequest{parent, text, icon, buttons});
    const std::unique_ptr<QMessageBox> box(MakeMessageBox(parent, text, icon, buttons));
    return box->exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

void OpenMessageBox(QWidget* parent, const QString& text, MessageIcon icon) {
    if (const MessageBoxHook& hook = Hook()) {
        hook(MessageBoxRequest{parent, text, icon, MessageButtons::kOk});
        return;
    }
    QMessageBox* box = MakeMessageBox(parent, text, icon);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) { return std::exchange(Hook(), std::move(hook)); }

}  // namespace cpe
