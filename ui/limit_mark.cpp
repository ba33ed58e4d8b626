#include "ui/limit_mark.h"

#include "ui/skin_qt.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>

namespace cpe {
namespace {

constexpr const char* kMarkProperty = "limitMark";

// The skin's title colour marks the limit; the hover colour of its buttons an entry beyond it.
QColor MarkColour(LimitMark::State state) {
    return ToQColor(state == LimitMark::State::kBeyond ? Skin().textDownColor : Skin().gridTitleTextColor);
}

}  // namespace

LimitMark::LimitMark(QLineEdit& edit, Measure measure, QString hint)
    : QObject(&edit), m_edit(edit), m_measure(std::move(measure)), m_strHint(std::move(hint)) {
    edit.setProperty(kMarkProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    edit.installEventFilter(this);
    connect(&edit, &QLineEdit::textChanged, this, &LimitMark::Update);
    Update();
}

LimitMark* LimitMark::Of(const QLineEdit& edit) {
    return qobject_cast<LimitMark*>(edit.property(kMarkProperty).value<QObject*>());
}

void LimitMark::Update() {
    m_state = m_measure(m_edit.text());
    const bool marked = m_state != State::kWithin;
    m_edit.setStyleSheet(marked ? QStringLiteral("QLineEdit { border: 1px solid %1; }").arg(MarkColour(m_state).name())
                                : QString());
    m_edit.setToolTip(marked ? m_strHint : QString());
    if (marked && !m_pHint) {
        m_pHint = new QLabel(m_strHint, m_edit.window());
        m_pHint->setObjectName(QStringLiteral("limitHint"));
        m_pHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (!m_pHint)
        return;
    m_pHint->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; color: %1; border: 1px solid %1; "
                                          "padding: 0 2px; }")
                               .arg(MarkColour(m_state).name()));
    m_pHint->setVisible(marked && m_edit.hasFocus() && m_edit.isVisible());
    if (m_pHint->isVisible())
        PlaceHint();
}

// Just under the edit's left edge, above whatever lies there while the edit has the focus.
void LimitMark::PlaceHint() {
    m_pHint->adjustSize();
    const QPoint below = m_edit.mapTo(m_pHint->parentWidget(), QPoint(0, m_edit.height()));
    m_pHint->move(below);
    m_pHint->raise();
}

bool LimitMark::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize: Update(); break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace cpe
