#include "ui/ct_static.h"

#include "ui/skin_qt.h"

#include <QPainter>

namespace cpe {

CTStatic::CTStatic(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    SetStaticFont(m_strFace, m_nHeight, m_nWeight);
}

void CTStatic::ApplyStaticStyle(const QString& face, ColorRef textColor, ColorRef bkColor, int weight, int height) {
    m_crText = textColor;
    m_crBk = bkColor;
    SetStaticFont(face, height, weight);
}

void CTStatic::SetStaticFont(const QString& face, int height, int weight) {
    m_strFace = face;
    m_nHeight = height;
    m_nWeight = weight;
    setFont(MakeFont(face, height, weight));
    update();
}

void CTStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_bTransparent)
        p.fillRect(rect(), ToQColor(m_crBk));
    p.setFont(font());
    p.setPen(ToQColor(m_crText));
    int flags = static_cast<int>(alignment());
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    p.drawText(contentsRect(), flags, text());
}

}  // namespace cpe
