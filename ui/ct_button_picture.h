// Picture button: four pictures (normal, hover, pressed, disabled), a text drawn over them in a
// chosen placement, a highlight colour for hover, pressed and the selected look, and the hand
// cursor.
#pragma once

#include "ui/skin_settings.h"

#include <QAbstractButton>
#include <QPixmap>
#include <array>

namespace cpe {

class CTButtonPicture : public QAbstractButton {
    Q_OBJECT
public:
    enum State { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };
    enum Placement {
        kPlaceLeft = 256,
        kPlaceRight = 512,
        kPlaceCentre = 768,
        kPlaceTopCentre = 1792,
        kPlaceBottomLeft = 2048,
        kPlaceBottomCentre = 2816,
    };

    explicit CTButtonPicture(QWidget* parent = nullptr);

    // Loads the four pictures in state order; the first file that fails ends the list and the
    // remaining pictures keep what they had.
    void SetImages(const QString& normal, const QString& hover, const QString& pressed, const QString& disabled);
    void SetPicture(State state, const QPixmap& picture);
    void SetButtonText(const QString& text);

    State DrawState() const;
    const QPixmap& Picture(State s) const { return m_pictures[s]; }

    // Where the text's top-left corner goes for a button of `button` size and a text of `text`
    // size; negative coordinates become 0.
    static QPoint TextOrigin(int placement, int margin, QSize button, QSize text);
    // Where a picture is drawn: at its own size from the top-left corner, or shrunk to the button
    // when it is larger in either direction. Pictures are never stretched.
    static QRect PictureRect(QSize picture, QSize button);

    QSize sizeHint() const override;

    QString m_strFaceName = QStringLiteral("Arial");
    int m_nWeight = 0;
    int m_nHeight = 16;
    ColorRef m_crText = Rgb(0, 0, 0);
    ColorRef m_crHighlight = Rgb(255, 255, 255);
    ColorRef m_crDisabled = Rgb(153, 153, 153);
    int m_nPlacement = kPlaceCentre;
    int m_nMargin = 0;
    bool m_bSelected = false;
    bool m_bBorderOnHover = false;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::array<QPixmap, 4> m_pictures;
    bool m_bHover = false;
};

}  // namespace cpe
