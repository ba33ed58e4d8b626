// The search box of the list pages: a borderless line edit with a thin bottom line and an input
// filter (digits, letters, both, or anything) with a set of refused characters and a block flag
// that also refuses the clipboard and undo keys.
#pragma once

#include <QLineEdit>

namespace cpe {

class CTEdit : public QLineEdit {
    Q_OBJECT
public:
    enum FilterMode { kAnything = 0, kDigits = 1, kLetters = 2, kDigitsAndLetters = 3 };

    explicit CTEdit(QWidget* parent = nullptr);

    // Whether a typed character is taken. Control characters use their codes: Ctrl+C 3,
    // Backspace 8, Ctrl+V 22, Ctrl+X 24, Ctrl+Z 26.
    static bool AcceptsChar(char16_t ch, int mode, const QString& refused, bool block);

    bool m_bBlock = false;
    int m_nFilterMode = kAnything;
    QString m_strRefused;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PasteFiltered();
};

}  // namespace cpe
