// The skin at the Qt edge: colour and font conversions and the button and label styles built
// from the settings.
#pragma once

#include "ui/skin_settings.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <string>

class QLabel;
class QScrollBar;

namespace cpe {

class CTButtonPicture;
class CTStatic;

inline QColor ToQColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
inline ColorRef FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

// The largest font size made, in pixels.
inline constexpr int kMaxFontPixels = 256;

// A font from a face, a cell height in pixels (negative: character height) and a weight
// (0 default, 700 bold), as the settings describe it.
QFont MakeFont(const QString& face, int height, int weight);
QFont MakeFont(const LogFont& font);

// Text plus the menu-button style: the menu font and colours, left-aligned with a 50 px margin.
void ApplyMenuButtonStyle(CTButtonPicture& button, const QString& text);
// Text plus the style of the other skinned buttons.
void ApplyButtonStyle(CTButtonPicture& button, const QString& text);
// The label style: menu face, label weight, height and colours.
void ApplyLabelStyle(CTStatic& label);
// The title strip of the configuration dialogs: the strip filled with the skin's title colour,
// the title on top of it in the label style.
void ApplyTitleStrip(QLabel& strip, CTStatic& title);
// A skin picture on a picture button: `normal` for the normal state, `down` (or `normal` when
// empty) for hover and pressed, and `normal` greyed and faded for the disabled state, so a button
// that cannot be pressed looks it. A skin without the picture (an empty path) leaves the button as
// it is.
void SetButtonPicture(CTButtonPicture& button, const std::string& normal, const std::string& down = {});
// The scroll bars of the skin: a dark handle on a light track, so the handle is plainly the part
// that stands for the view and moves with it.
void ApplyScrollBarStyle(QScrollBar& bar);
// A picture greyed and faded towards white: the look of a button that cannot be pressed.
QPixmap DisabledLook(const QPixmap& picture);

}  // namespace cpe
