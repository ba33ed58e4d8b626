#include "ui/template_layout.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace cpe {
namespace {

int Share(int delta, int percent) { return delta * percent / 100; }

}  // namespace

QRect StretchedRect(const QRect& base, const Stretch& stretch, QSize baseSize, QSize size) {
    const int dx = size.width() - baseSize.width();
    const int dy = size.height() - baseSize.height();
    return QRect(base.x() + Share(dx, stretch.moveX), base.y() + Share(dy, stretch.moveY),
                 std::max(0, base.width() + Share(dx, stretch.sizeX)),
                 std::max(0, base.height() + Share(dy, stretch.sizeY)));
}

TemplateLayout::TemplateLayout(QWidget* dialog, QSize templateSize)
    : QObject(dialog), m_pDialog(dialog), m_templateSize(templateSize) {
    dialog->installEventFilter(this);
}

void TemplateLayout::Add(QWidget* control, const Stretch& stretch) {
    if (stretch == kStayPut)
        return;
    m_controls.push_back({control, control->geometry(), stretch});
}

bool TemplateLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pDialog && event->type() == QEvent::Resize)
        Apply(m_pDialog->size());
    return QObject::eventFilter(watched, event);
}

void TemplateLayout::Apply(QSize size) {
    for (const Placed& p : m_controls)
        if (p.control)
            p.control->setGeometry(StretchedRect(p.base, p.stretch, m_templateSize, size));
}

}  // namespace cpe
