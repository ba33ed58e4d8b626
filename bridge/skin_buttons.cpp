#include "bridge/skin_buttons.h"

#include "ui/ct_button_picture.h"

namespace cpe {

void SetButtonPicture(CTButtonPicture& button, const std::string& normal, const std::string& down)
{
    if (normal.empty())
        return;
    const QString up = QString::fromStdString(normal);
    const QString pressed = down.empty() ? up : QString::fromStdString(down);
    button.SetImages(up, pressed, pressed, up);
}

}  // namespace cpe
