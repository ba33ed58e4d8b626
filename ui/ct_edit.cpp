#include "ui/ct_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>

namespace cpe {
namespace {

constexpr char16_t kCtrlC = 3, kBackspace = 8, kCtrlV = 22, kCtrlX = 24, kCtrlZ = 26;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsClipboardKey(char16_t c) { return c == kCtrlC || c == kCtrlV || c == kCtrlX || c == kCtrlZ; }

// The control character a key stands for, or 0 when it is not one the filter looks at.
char16_t ControlCharOf(const QKeyEvent* e) {
    if (e->key() == Qt::Key_Backspace)
        return kBackspace;
    if (e->modifiers() & Qt::ControlModifier) {
        switch (e->key()) {
        case Qt::Key_C: return kCtrlC;
        case Qt::Key_V: return kCtrlV;
        case Qt::Key_X: return kCtrlX;
        case Qt::Key_Z: return kCtrlZ;
        default: break;
        }
    }
    return 0;
}

}  // namespace

CTEdit::CTEdit(QWidget* parent) : QLineEdit(parent) { setFrame(false); }

bool CTEdit::AcceptsChar(char16_t ch, int mode, const QString& refused, bool block) {
    if (ch != 0 && refused.contains(QChar(ch)))
        return false;
    if (block && IsClipboardKey(ch))
        return false;
    bool inSet = true;
    switch (mode) {
    case kDigits: inSet = IsDigit(ch); break;
    case kLetters: inSet = IsLetter(ch); break;
    case kDigitsAndLetters: inSet = IsDigit(ch) || IsLetter(ch); break;
    default: break;
    }
    return inSet || ch == kBackspace || IsClipboardKey(ch);
}

void CTEdit::keyPressEvent(QKeyEvent* e) {
    if (const char16_t ctrl = ControlCharOf(e)) {
        if (!AcceptsChar(ctrl, m_nFilterMode, m_strRefused, m_bBlock))
            return;
        if (ctrl == kCtrlV) {
            PasteFiltered();
            return;
        }
        QLineEdit::keyPressEvent(e);
        return;
    }
    const QString typed = e->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && !(e->modifiers() & Qt::ControlModifier)) {
        for (QChar c : typed)
            if (!AcceptsChar(c.unicode(), m_nFilterMode, m_strRefused, m_bBlock))
                return;
    }
    QLineEdit::keyPressEvent(e);
}

// Pasted text passes the same filter as typed text, so a digits-only box never takes letters.
void CTEdit::PasteFiltered() {
    if (isReadOnly())
        return;
    QString accepted;
    for (QChar c : QApplication::clipboard()->text())
        if (c.isPrint() && AcceptsChar(c.unicode(), m_nFilterMode, m_strRefused, false))
            accepted.append(c);
    insert(accepted);
}

void CTEdit::contextMenuEvent(QContextMenuEvent* e) {
    if (m_bBlock || m_nFilterMode != kAnything || !m_strRefused.isEmpty()) {
        e->accept();  // its Paste item would bypass the filter
        return;
    }
    QLineEdit::contextMenuEvent(e);
}

void CTEdit::paintEvent(QPaintEvent* e) {
    QLineEdit::paintEvent(e);
    QPainter p(this);
    p.setPen(QColor(207, 207, 207));
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
}

}  // namespace cpe
