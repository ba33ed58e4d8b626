#include "ui/skin_qt.h"

#include "ui/ct_button_picture.h"
#include "ui/ct_static.h"

#include <algorithm>
#include <cmath>

#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QScrollBar>

namespace cpe {

QFont MakeFont(const QString& face, int height, int weight) {
    QFont f(face.isEmpty() ? QStringLiteral("Arial") : face);
    f.setStyleHint(QFont::SansSerif);  // the Swiss family
    // A positive height is the character cell (ascent + descent); the em is about 7/8 of it. The
    // settings file may ask for any int: sizes no window could show are cut to kMaxFontPixels.
    const long long wanted = height > 0 ? std::llround(height * 0.875) : -static_cast<long long>(height);
    f.setPixelSize(wanted <= 0 ? 12 : static_cast<int>(std::min<long long>(wanted, kMaxFontPixels)));
    if (weight > 0)
        f.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    else
        f.setWeight(QFont::Normal);
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    return f;
}

QFont MakeFont(const LogFont& font) {
    return MakeFont(QString::fromStdString(font.faceName), font.height, font.weight);
}

namespace {

void ApplyButtonFont(CTButtonPicture& button, const QString& text, int weight, int height, ColorRef textColor) {
    const SkinSettings& s = Skin();
    button.SetButtonText(text);
    button.m_strFaceName = QString::fromStdString(s.buttonMenuFontName);
    button.m_nWeight = weight;
    button.m_nHeight = height;
    button.m_crText = textColor;
    button.m_crHighlight = s.textDownColor;
}

}  // namespace

void ApplyMenuButtonStyle(CTButtonPicture& button, const QString& text) {
    const SkinSettings& s = Skin();
    ApplyButtonFont(button, text, s.buttonMenuFontWeight, s.buttonMenuFontHeight, s.buttonMenuFontColor);
    button.m_nPlacement = CTButtonPicture::kPlaceLeft;
    button.m_nMargin = 50;
    button.update();
}

void ApplyButtonStyle(CTButtonPicture& button, const QString& text) {
    const SkinSettings& s = Skin();
    ApplyButtonFont(button, text, s.buttonFontWeight, s.buttonFontHeight, s.buttonFontColor);
    button.update();
}

void ApplyTitleStrip(QLabel& strip, CTStatic& title) {
    strip.setAutoFillBackground(true);
    QPalette palette = strip.palette();
    palette.setColor(QPalette::Window, ToQColor(Skin().gridTitleBkColor));
    strip.setPalette(palette);
    ApplyLabelStyle(title);
    title.m_bTransparent = true;
    title.raise();
}

QPixmap DisabledLook(const QPixmap& picture) {
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int faded = 255 - (255 - qGray(line[x])) * 2 / 5;
            line[x] = qRgba(faded, faded, faded, qAlpha(line[x]));
        }
    }
    QPixmap out = QPixmap::fromImage(image);
    out.setDevicePixelRatio(picture.devicePixelRatio());
    return out;
}

void SetButtonPicture(CTButtonPicture& button, const std::string& normal, const std::string& down) {
    if (normal.empty())
        return;
    const QString up = QString::fromStdString(normal);
    const QString pressed = down.empty() ? up : QString::fromStdString(down);
    button.SetImages(up, pressed, pressed, up);
    if (const QPixmap& picture = button.Picture(CTButtonPicture::kNormal); !picture.isNull())
        button.SetPicture(CTButtonPicture::kDisabled, DisabledLook(picture));
}

void ApplyScrollBarStyle(QScrollBar& bar) {
    // The platform style draws a light handle in a grey track, which reads as a grey handle at
    // the far end, moving against the view.
    bar.setStyleSheet(QStringLiteral(
        "QScrollBar { background: rgb(240, 240, 240); border: none; margin: 0px; }"
        "QScrollBar:horizontal { height: 12px; }"
        "QScrollBar:vertical { width: 12px; }"
        "QScrollBar::handle { background: rgb(184, 184, 184); border-radius: 4px; }"
        "QScrollBar::handle:hover, QScrollBar::handle:pressed { background: rgb(140, 140, 140); }"
        "QScrollBar::handle:horizontal { min-width: 24px; margin: 2px 0px; }"
        "QScrollBar::handle:vertical { min-height: 24px; margin: 0px 2px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; background: none; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"));
}

void ApplyLabelStyle(CTStatic& label) {
    const SkinSettings& s = Skin();
    label.ApplyStaticStyle(QString::fromStdString(s.buttonMenuFontName), s.staticFontTextColor, s.staticFontBkColor,
                           s.staticFontWeight, s.staticFontHeight);
}

}  // namespace cpe
