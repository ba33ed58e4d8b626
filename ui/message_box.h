// Modal message boxes of the windows: validation refusals, reminders and confirmations, with an
// empty caption or the application's title. A hook can take the place of the real box (tests
// answer it without a screen).
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace cpe {

enum class MessageIcon { kInformation, kExclamation, kQuestion, kNone };
enum class MessageButtons { kOk, kOkCancel };
// The caption of a box: empty, or the application's title.
enum class MessageCaption { kEmpty, kApplication };

// What a box returns: the button that closed it.
enum MessageResult : int { IDOK = 1, IDCANCEL = 2 };

struct MessageBoxRequest {
    QWidget* parent;
    QString text;
    MessageIcon icon;
    MessageButtons buttons;
    MessageCaption caption = MessageCaption::kEmpty;
};

using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;

// Shows the box modally (or asks the hook) and returns IDOK or IDCANCEL.
int ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon, MessageButtons buttons = MessageButtons::kOk,
                   MessageCaption caption = MessageCaption::kEmpty);
// Installs a hook answering every box instead of the screen; returns the previous one. An empty
// hook restores the real boxes.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

}  // namespace cpe
