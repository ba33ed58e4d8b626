// The tip the grid shows over a cell whose text does not fit: the whole text on one line, in the
// cell's font, never taking the focus and letting clicks through to the grid.
#pragma once

#include <QWidget>

namespace cpe {

class CTitleTip : public QWidget {
    Q_OBJECT
public:
    explicit CTitleTip(QWidget* grid);

    // Shows `text` over `textRect` (grid viewport coordinates) when it is wider than the rect;
    // returns whether it is shown.
    bool Show(const QRect& textRect, const QString& text, const QFont& font);
    // The viewport rectangle the tip covers while shown.
    const QRect& Covered() const { return m_covered; }
    const QString& Text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* m_pGrid;
    QString m_text;
    QRect m_covered;
};

}  // namespace cpe
