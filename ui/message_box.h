// Modal message boxes of the windows: validation refusals, reminders, confirmations and errors.
// Every box has the same style: the icon of its kind and the application's title. A hook can
// take the place of the real box (tests answer it without a screen).
#pragma once

#include <QString>
#include <functional>

class QMessageBox;
class QWidget;

namespace cpe {

enum class MessageIcon { kInformation, kExclamation, kQuestion, kError };
enum class MessageButtons { kOk, kOkCancel };

// What a box returns: the button that closed it.
enum MessageResult : int { IDOK = 1, IDCANCEL = 2 };

struct MessageBoxRequest {
    QWidget* parent;
    QString text;
    MessageIcon icon;
    MessageButtons buttons;
};

using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;

// Shows the box modally (or asks the hook) and returns IDOK or IDCANCEL.
int ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon,
                   MessageButtons buttons = MessageButtons::kOk);
// A box of the same style for the caller to show (the ones that must not wait for an answer).
QMessageBox* MakeMessageBox(QWidget* parent, const QString& text, MessageIcon icon,
                            MessageButtons buttons = MessageButtons::kOk);
// Shows an OK box window-modal without waiting for it (or tells the hook); it deletes itself.
void OpenMessageBox(QWidget* parent, const QString& text, MessageIcon icon);
// Installs a hook answering every box instead of the screen; returns the previous one. An empty
// hook restores the real boxes.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

}  // namespace cpe
