// The editor the grid puts over a cell while it is edited in place. It grows with its text up
// to the grid's right edge and ends on Tab, Escape (restoring the old text), Enter, the
// navigation keys as configured, or the loss of focus; it reports to the grid once.
#pragma once

#include <QLineEdit>

namespace cpe {

class CGridCtrl;

class CInPlaceEdit : public QLineEdit {
    Q_OBJECT
public:
    CInPlaceEdit(CGridCtrl* grid, const QRect& rect, int row, int col, const QString& text, QChar startChar);

    void EndEdit();
    // The grid is going away: end silently, without reporting.
    void Detach() { m_bEnded = true; }
    int Row() const { return m_nRow; }
    int Column() const { return m_nCol; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Widen();

    CGridCtrl* m_pGrid;
    int m_nRow;
    int m_nCol;
    QString m_strInitial;
    bool m_bExitOnArrows;
    bool m_bEnded = false;
    int m_nLastKey = 0;
    QRect m_rect;
};

}  // namespace cpe
