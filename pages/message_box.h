// Modal message boxes of the pages: validation refusals, reminders and confirmations, with an
// empty caption. A hook can take the place of the real box (tests answer it without a screen).
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace cpe {

enum class MessageIcon { Information, Exclamation, Question };
enum class MessageButtons { Ok, OkCancel };

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
                   MessageButtons buttons = MessageButtons::Ok);
// Installs a hook answering every box instead of the screen; returns the previous one. An empty
// hook restores the real boxes.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

}  // namespace cpe
