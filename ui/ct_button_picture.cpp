#include "ui/ct_button_picture.h"

#include "ui/skin_qt.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace cpe {

CTButtonPicture::CTButtonPicture(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, false);
}

void CTButtonPicture::SetImages(const QString& normal, const QString& hover, const QString& pressed,
                                const QString& disabled) {
    const QString files[4] = {normal, hover, pressed, disabled};
    for (int i = 0; i < 4; ++i) {
        QPixmap pic;
        if (files[i].isEmpty() || !pic.load(files[i]))
            break;
        m_pictures[i] = pic;
    }
    update();
}

void CTButtonPicture::SetPicture(State state, const QPixmap& picture) {
    m_pictures[state] = picture;
    update();
}

void CTButtonPicture::SetButtonText(const QString& text) {
    setText(text);
    update();
}

CTButtonPicture::State CTButtonPicture::DrawState() const {
    if (!isEnabled())
        return kDisabled;
    if (isDown())
        return kPressed;
    if (m_bHover)
        return kHover;
    return kNormal;
}

QPoint CTButtonPicture::TextOrigin(int placement, int margin, QSize button, QSize text) {
    const int W = button.width(), H = button.height(), w = text.width(), h = text.height();
    int x = 0, y = 0;
    switch (placement) {
    case kPlaceLeft:
        x = margin + 2;
        y = (H - h) / 2;
        break;
    case kPlaceRight:
        x = W - margin - w - 2;
        y = (H - h) / 2;
        break;
    case kPlaceCentre:
        x = (W - w) / 2;
        y = (H - h) / 2;
        break;
    case kPlaceTopCentre:
        x = (W - w) / 2;
        y = 0;
        break;
    case kPlaceBottomLeft:
        x = 0;
        y = H - h;
        break;
    case kPlaceBottomCentre:
        x = (W - w) / 2;
        y = H - h;
        break;
    default: break;
    }
    return {std::max(0, x), std::max(0, y)};
}

QRect CTButtonPicture::PictureRect(QSize picture, QSize button) {
    if (picture.width() > button.width() || picture.height() > button.height())
        return QRect(QPoint(0, 0), button);
    return QRect(QPoint(0, 0), picture);
}

QSize CTButtonPicture::sizeHint() const {
    if (!m_pictures[kNormal].isNull())
        return m_pictures[kNormal].size() / m_pictures[kNormal].devicePixelRatio();
    return {75, 23};
}

void CTButtonPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const State state = DrawState();
    const QPixmap* pic = &m_pictures[state];
    ColorRef color = m_crText;
    int weight = m_nWeight;
    if (m_bSelected) {
        pic = &m_pictures[kPressed];
        weight = 700;
        color = m_crHighlight;
    } else if (state == kHover || state == kPressed) {
        color = m_crHighlight;
    } else if (state == kDisabled) {
        color = m_crDisabled;
    }
    if (!pic->isNull())
        p.drawPixmap(PictureRect(pic->size(), size()), *pic);
    if (!m_bSelected && state == kHover && m_bBorderOnHover) {
        p.setPen(ToQColor(m_crHighlight));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (text().isEmpty())
        return;
    const QFont font = MakeFont(m_strFaceName, m_nHeight, weight);
    p.setFont(font);
    p.setPen(ToQColor(color));
    const QFontMetrics fm(font);
    const QSize extent(fm.horizontalAdvance(text()), fm.height());
    const QPoint origin = TextOrigin(m_nPlacement, m_nMargin, size(), extent);
    p.drawText(QRect(origin, extent), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
}

void CTButtonPicture::enterEvent(QEnterEvent* event) {
    if (isEnabled() && !m_bHover) {
        m_bHover = true;
        update();
    }
    QAbstractButton::enterEvent(event);
}

void CTButtonPicture::leaveEvent(QEvent* event) {
    if (m_bHover) {
        m_bHover = false;
        update();
    }
    QAbstractButton::leaveEvent(event);
}

void CTButtonPicture::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            m_bHover = false;
        update();
    }
    QAbstractButton::changeEvent(event);
}

}  // namespace cpe
