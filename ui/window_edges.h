// Edges a frameless window is resized by: thin grips along its four sides and in its corners, on
// top of whatever the window holds. A grip asks the window system to resize the window, or, where
// the platform cannot, resizes it itself within the window's minimum size. The grips hide while
// the window is maximised or full screen.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <array>

namespace cpe {

class EdgeGrip : public QWidget {
    Q_OBJECT
public:
    EdgeGrip(QWidget* window, Qt::Edges edges);
    Qt::Edges Edges() const { return m_edges; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::Edges m_edges;
    bool m_bDragging = false;
    QPoint m_pressGlobal;
    QRect m_startGeometry;
};

class WindowEdges : public QObject {
    Q_OBJECT
public:
    static constexpr int kThickness = 3;
    static constexpr int kCorner = 6;

    explicit WindowEdges(QWidget* window);

    // Lays the grips along the window's edges above its other children (call after adding them).
    void Place();
    const std::array<EdgeGrip*, 8>& Grips() const { return m_grips; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_pWindow;
    std::array<EdgeGrip*, 8> m_grips{};
};

}  // namespace cpe
