// A strip of equally sized images cut from one picture, one colour made transparent; cells draw
// image i of it at their left edge.
#pragma once

#include <QColor>
#include <QPixmap>
#include <vector>

class QPainter;

namespace cpe {

class CImageList {
public:
    CImageList() = default;
    // Cuts `strip` into images of `imageSize`, left to right; pixels of `transparent` vanish.
    static CImageList FromStrip(const QImage& strip, QSize imageSize, QColor transparent = Qt::white);
    static CImageList FromFile(const QString& path, QSize imageSize, QColor transparent = Qt::white);

    int Count() const { return m_nCount; }
    QSize ImageSize() const { return m_size; }
    // Width of image `index` without its transparent right margin: what a cell needs to show it.
    int UsedWidth(int index) const;
    void Draw(QPainter& painter, int index, QPoint topLeft) const;

private:
    QPixmap m_strip;
    QSize m_size;
    int m_nCount = 0;
    std::vector<int> m_usedWidths;
};

}  // namespace cpe
