#include "ui/translate_window.h"

#include "lang/language.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTabBar>
#include <QTextEdit>
#include <QVariant>

namespace cpe {
namespace {

// Marks a widget as translated. The mark lives on the widget itself, so a widget created later
// at the address of a destroyed one is translated normally.
constexpr const char* kTranslatedProperty = "cpeTranslated";

bool MarkTranslated(QWidget* w) {
    if (w->property(kTranslatedProperty).toBool())
        return false;
    w->setProperty(kTranslatedProperty, true);
    return true;
}

QString Translate(const QString& text) { return QString::fromStdString(TranslateString(text.toStdString())); }

bool IsLeftAlone(QWidget* w) {
    if (w->property(kNoTranslateProperty).toBool())
        return true;
    if (qobject_cast<QComboBox*>(w))
        return false;
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractItemView*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
           qobject_cast<QProgressBar*>(w) || qobject_cast<QTextEdit*>(w);
}

// The window text of a widget, translated in place when the translation is not empty.
void TranslateText(QWidget* w) {
    auto apply = [](const QString& text, auto&& set) {
        if (text.isEmpty() || text == QLatin1String("..."))
            return;
        const QString t = Translate(text);
        if (!t.isEmpty() && t != text)
            set(t);
    };
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        apply(b->text(), [b](const QString& t) { b->setText(t); });
    else if (auto* l = qobject_cast<QLabel*>(w))
        apply(l->text(), [l](const QString& t) { l->setText(t); });
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        apply(g->title(), [g](const QString& t) { g->setTitle(t); });
    else if (auto* bar = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < bar->count(); ++i)
            apply(bar->tabText(i), [bar, i](const QString& t) { bar->setTabText(i, t); });
    }
}

}  // namespace

void TranslateWindow(QWidget* window) {
    if (!window || !MarkTranslated(window))
        return;
    const QString title = window->windowTitle();
    if (!title.isEmpty()) {
        const QString t = Translate(title);
        if (!t.isEmpty() && t != title)
            window->setWindowTitle(t);
    }
    TranslateText(window);
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* w : children) {
        if (!MarkTranslated(w) || IsLeftAlone(w))
            continue;
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            TranslateComboBox(combo);
            continue;  // the shown text is the translated current item
        }
        TranslateText(w);
    }
}

void TranslateMenu(QMenu* menu) {
    if (!menu)
        return;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const QString text = action->text();
        if (!text.isEmpty()) {
            const QString t = Translate(text);
            if (!t.isEmpty() && t != text)
                action->setText(t);
        }
        if (QMenu* sub = action->menu())
            TranslateMenu(sub);
    }
}

void TranslateComboBox(QComboBox* combo) {
    if (!combo)
        return;
    const int selected = combo->currentIndex();
    const bool blocked = combo->blockSignals(true);
    for (int i = 0; i < combo->count(); ++i)
        combo->setItemText(i, Translate(combo->itemText(i)));
    if (selected >= 0 && selected < combo->count())
        combo->setCurrentIndex(selected);
    else
        combo->setCurrentIndex(-1);
    combo->blockSignals(blocked);
}

}  // namespace cpe
