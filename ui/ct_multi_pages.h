// The page-number strip under every list: up to seven slots (page numbers or an ellipsis); a
// click on another page makes it current and tells the notification object which page of which
// owner was chosen.
#pragma once

#include <QEvent>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <array>

namespace cpe {

// Message number of a pager choice at the page host.
constexpr int WM_PAGER_SELECT = 2023;

// Sent (synchronously) to the notification object of a pager: the owner page id and the page.
class PagerSelectEvent : public QEvent {
public:
    static QEvent::Type EventType();
    PagerSelectEvent(int ownerPageId, int page) : QEvent(EventType()), m_ownerPageId(ownerPageId), m_page(page) {}
    int OwnerPageId() const { return m_ownerPageId; }
    int Page() const { return m_page; }

private:
    int m_ownerPageId;
    int m_page;
};

class CTMultiPages : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSlots = 7;
    static constexpr int kEllipsis = -1;
    using SlotValues = std::array<int, kSlots>;

    explicit CTMultiPages(QWidget* parent = nullptr);

    void ResetPager(QObject* notify, int ownerPageId);

    // Slot values for `total` pages with `current` shown; unused slots hold 0.
    static SlotValues ComputeSlots(int total, int current, int* count);
    int SlotCount() const { return m_nSlotCount; }
    const SlotValues& Slots() const { return m_values; }
    QRect SlotRect(int slot) const { return m_rects[static_cast<std::size_t>(slot)]; }
    int HoverSlot() const { return m_nHover; }
    // Recomputes the slots and their rectangles from the counts (painting does it as well).
    void UpdateLayout();

    int m_nTotalPage = -1;
    int m_nCurPage = 1;
    int m_nAlign = 1;  // 1 centred, 2 right-aligned, other: from the left
    bool m_bFrame = false;
    QColor m_crBk = QColor(240, 240, 240);

signals:
    void PagerSelect(int ownerPageId, int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int SlotAt(QPoint pos) const;
    bool IsClickable(int slot) const;

    int m_nHover = -1;
    int m_nPressed = -1;
    int m_nSlotCount = 0;
    SlotValues m_values{};
    std::array<QRect, kSlots> m_rects{};
    QPointer<QObject> m_notify;
    int m_nOwnerId = 0;
};

}  // namespace cpe
