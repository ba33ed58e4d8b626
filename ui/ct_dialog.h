// Base of every skinned page and dialog: a stretched background picture or a plain fill, line
// segments drawn on top, drag-to-move from the background, optional rounded corners. Enter and
// Escape press the dialog's own buttons for them (Save and Cancel, or what stands in their
// place); a dialog without them ignores both, and a form inside a dialog leaves them to it.
#pragma once

#include "ui/skin_settings.h"

#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <vector>

class QAbstractButton;
class QPainter;

namespace cpe {

struct line_point {
    int startX, startY, endX, endY;
};

class CTDialog : public QDialog {
    Q_OBJECT
public:
    explicit CTDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Loads the background picture (an empty path keeps the current one).
    void SetBkImage(const QString& path);
    bool HasBkImage() const { return !m_bkImage.isNull(); }
    const QPixmap& BkImage() const { return m_bkImage; }
    bool RegionApplied() const { return m_bRegionApplied; }
    // The buttons Enter and Escape press (either may be null); a hidden or disabled one is not
    // pressed.
    void SetKeyButtons(QAbstractButton* enter, QAbstractButton* escape);

    bool m_bDrag = false;
    bool m_bFill = false;
    ColorRef m_crFill = Rgb(255, 255, 255);
    ColorRef m_crLine = Rgb(218, 218, 218);
    int m_nLineWidth = 1;
    std::vector<line_point> m_lines;
    int m_nRadius = 0;

protected:
    // The stretched background picture, else the fill when it is on.
    virtual void PaintBackground(QPainter& p);
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointer<QAbstractButton> m_pEnterButton;
    QPointer<QAbstractButton> m_pEscapeButton;
    QPixmap m_bkImage;
    bool m_bRegionApplied = false;
    bool m_bPressed = false;
    bool m_bDragging = false;
    QPoint m_pressGlobal;
    QPoint m_dragOffset;
};

}  // namespace cpe
