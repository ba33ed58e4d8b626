#include "ui/tab_order.h"

#include <QWidget>

#include <algorithm>

namespace cpe {
namespace {

struct Placed {
    QWidget* widget;
    QRect rect;  // in the root's coordinates
};

}  // namespace

std::vector<QWidget*> ReadingOrder(const QWidget& root) {
    std::vector<Placed> placed;
    for (QWidget* w : root.findChildren<QWidget*>()) {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            placed.push_back({w, QRect(w->mapTo(&root, QPoint(0, 0)), w->size())});
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.rect.top() < b.rect.top(); });
    // A row is every entry whose top lies above the middle of the row's first entry.
    std::vector<QWidget*> order;
    for (auto row = placed.begin(); row != placed.end();) {
        const int rowMiddle = row->rect.center().y();
        const auto end = std::find_if(row, placed.end(), [&](const Placed& p) { return p.rect.top() > rowMiddle; });
        std::stable_sort(row, end, [](const Placed& a, const Placed& b) { return a.rect.left() < b.rect.left(); });
        for (auto it = row; it != end; ++it)
            order.push_back(it->widget);
        row = end;
    }
    return order;
}

void SetReadingTabOrder(QWidget& root) {
    const std::vector<QWidget*> order = ReadingOrder(root);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace cpe
