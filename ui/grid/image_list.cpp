#include "ui/grid/image_list.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace cpe {

CImageList CImageList::FromStrip(const QImage& strip, QSize imageSize, QColor transparent) {
    CImageList list;
    if (strip.isNull() || imageSize.width() <= 0 || imageSize.height() <= 0)
        return list;
    QImage img = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
    }
    list.m_strip = QPixmap::fromImage(img);
    list.m_size = imageSize;
    list.m_nCount = img.width() / imageSize.width();
    const int h = std::min(img.height(), imageSize.height());
    for (int i = 0; i < list.m_nCount; ++i) {
        int used = 0;
        for (int x = imageSize.width() - 1; x >= 0 && used == 0; --x)
            for (int y = 0; y < h; ++y)
                if (qAlpha(img.pixel(i * imageSize.width() + x, y)) != 0) {
                    used = x + 1;
                    break;
                }
        list.m_usedWidths.push_back(used);
    }
    return list;
}

CImageList CImageList::FromFile(const QString& path, QSize imageSize, QColor transparent) {
    return FromStrip(QImage(path), imageSize, transparent);
}

int CImageList::UsedWidth(int index) const {
    return index >= 0 && index < m_nCount ? m_usedWidths[static_cast<std::size_t>(index)] : 0;
}

void CImageList::Draw(QPainter& painter, int index, QPoint topLeft) const {
    if (index < 0 || index >= m_nCount)
        return;
    painter.drawPixmap(topLeft, m_strip, QRect(index * m_size.width(), 0, UsedWidth(index), m_size.height()));
}

}  // namespace cpe
