// Shows an edit's length limit as it is reached, without ever cutting what is typed or pasted:
// at the limit the edit gets a marked border and, while it has the focus, a hint under it ("32
// bytes at most"); beyond the limit the mark turns to the error colour and the form's check
// refuses the entry at Save.
#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QLineEdit;

namespace cpe {

class LimitMark : public QObject {
    Q_OBJECT
public:
    enum class State { kWithin, kReached, kBeyond };
    using Measure = std::function<State(const QString& text)>;

    // Owned by `edit`; `hint` is the translated text shown while marked.
    LimitMark(QLineEdit& edit, Measure measure, QString hint);

    State CurrentState() const { return m_state; }
    // The hint under the edit; null until the edit is first marked.
    QLabel* Hint() const { return m_pHint; }

    // The mark of an edit, or null when it has none.
    static LimitMark* Of(const QLineEdit& edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Update();
    void PlaceHint();

    QLineEdit& m_edit;
    Measure m_measure;
    QString m_strHint;
    State m_state = State::kWithin;
    QPointer<QLabel> m_pHint;
};

}  // namespace cpe
