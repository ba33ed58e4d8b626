// A picture larger than its window, scrolled with scroll bars that appear only in the direction
// the picture overflows.
#pragma once

#include <QPixmap>
#include <QWidget>

class QScrollBar;

namespace cpe {

class CScrollBitmapWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHorzBarId = 100;
    static constexpr int kVertBarId = 101;
    static constexpr int kLineStep = 5;

    explicit CScrollBitmapWnd(QWidget* parent = nullptr);

    bool LoadPicture(const QString& path);
    void SetPicture(const QPixmap& picture);

    QPoint ScrollOffset() const;
    QScrollBar* HorizontalBar() const { return m_hBar; }
    QScrollBar* VerticalBar() const { return m_vBar; }
    QRect ViewRect() const { return m_view; }
    // Position of the last click in picture coordinates.
    QPoint LastClick() const { return m_lastClick; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Layout();

    QPixmap m_picture;
    QRect m_view;
    QScrollBar* m_hBar;
    QScrollBar* m_vBar;
    QPoint m_lastClick;
};

}  // namespace cpe
