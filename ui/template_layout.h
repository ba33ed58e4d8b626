// The stretch rules of a resizable dialog at work: each time the dialog's size changes, every
// control with a rule is placed anew from its template rectangle and the dialog's growth beyond
// its template size.
#pragma once

#include "ui/dialog_template.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <vector>

namespace cpe {

// The rectangle of a control placed at `base` in a dialog of `baseSize`, once the dialog is `size`.
QRect StretchedRect(const QRect& base, const Stretch& stretch, QSize baseSize, QSize size);

class TemplateLayout : public QObject {
    Q_OBJECT
public:
    // Lays out the controls of `dialog` (its child) whenever the dialog is resized.
    TemplateLayout(QWidget* dialog, QSize templateSize);

    // Takes `control` at its current geometry, which stands for the template size.
    void Add(QWidget* control, const Stretch& stretch);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Placed {
        QPointer<QWidget> control;
        QRect base;
        Stretch stretch;
    };
    void Apply(QSize size);

    QWidget* m_pDialog;
    QSize m_templateSize;
    std::vector<Placed> m_controls;
};

}  // namespace cpe
