#include "ui/dialog_template.h"

#include "ui/ct_button_picture.h"
#include "ui/ct_edit.h"
#include "ui/ct_multi_pages.h"
#include "ui/ct_picture.h"
#include "ui/ct_static.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/template_layout.h"
#include "ui/translate_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabBar>

#include <algorithm>
#include <cmath>

namespace cpe {
namespace {

constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

int ScaleX(int units) { return static_cast<int>(std::lround(units * kBaseUnitX / 4.0)); }
int ScaleY(int units) { return static_cast<int>(std::lround(units * kBaseUnitY / 8.0)); }

// An address box takes digits and dots, as many as are typed or pasted: a wrong address stays
// in the box for the form's check to refuse at Save, never cut or filtered into another one.
// Blanks around a pasted address are dropped.
class AddressValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        input = input.trimmed();
        pos = std::min(pos, static_cast<int>(input.size()));
        for (QChar c : input)
            if ((c < u'0' || c > u'9') && c != u'.')
                return Invalid;
        return Acceptable;
    }
};

Qt::Alignment TextAlignment(unsigned flags) {
    if (flags & kCtlCentre)
        return Qt::AlignHCenter | Qt::AlignTop;
    if (flags & kCtlRight)
        return Qt::AlignRight | Qt::AlignTop;
    return Qt::AlignLeft | Qt::AlignTop;
}

QWidget* MakeWidget(QWidget* parent, const ControlTemplate& c) {
    const QString text = QString::fromUtf8(c.text ? c.text : "");
    switch (c.kind) {
    case ControlKind::kPushButton: return new QPushButton(text, parent);
    case ControlKind::kPictureButton: {
        auto* b = new CTButtonPicture(parent);
        b->SetButtonText(text);
        return b;
    }
    case ControlKind::kLabel: {
        auto* l = new QLabel(text, parent);
        l->setAlignment(TextAlignment(c.flags));
        l->setWordWrap(true);
        return l;
    }
    case ControlKind::kSkinLabel: {
        auto* l = new CTStatic(parent);
        l->setText(text);
        l->setAlignment(TextAlignment(c.flags));
        l->setWordWrap(true);
        return l;
    }
    case ControlKind::kEdit:
    case ControlKind::kSkinEdit: {
        QLineEdit* e = c.kind == ControlKind::kSkinEdit ? new CTEdit(parent) : new QLineEdit(parent);
        e->setText(text);
        if (c.flags & kCtlPassword)
            e->setEchoMode(QLineEdit::Password);
        if (c.flags & kCtlReadOnly)
            e->setReadOnly(true);
        if (c.flags & kCtlNumber) {
            if (auto* skin = qobject_cast<CTEdit*>(e))
                skin->m_nFilterMode = CTEdit::kDigits;
            else
                e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
        }
        return e;
    }
    case ControlKind::kDropList: return new QComboBox(parent);
    case ControlKind::kCheckBox: return new QCheckBox(text, parent);
    case ControlKind::kRadioButton: return new QRadioButton(text, parent);
    case ControlKind::kGroupBox: return new QGroupBox(text, parent);
    case ControlKind::kProgress: {
        auto* p = new QProgressBar(parent);
        p->setTextVisible(false);
        return p;
    }
    case ControlKind::kGrid: return new CGridCtrl(parent);
    case ControlKind::kPager: return new CTMultiPages(parent);
    case ControlKind::kPicture: {
        auto* picture = new CTPicture(parent);
        picture->m_bStretch = (c.flags & kCtlStretchPicture) != 0;
        return picture;
    }
    case ControlKind::kIpAddress: {
        auto* e = new QLineEdit(parent);
        e->setProperty(kNoTranslateProperty, true);
        e->setValidator(new AddressValidator(e));
        e->setPlaceholderText(QStringLiteral("0.0.0.0"));
        return e;
    }
    case ControlKind::kTab: return new QTabBar(parent);
    }
    return new QWidget(parent);
}

}  // namespace

QRect DialogUnitsToPixels(const QRect& u) {
    return QRect(ScaleX(u.x()), ScaleY(u.y()), ScaleX(u.width()), ScaleY(u.height()));
}

QSize DialogUnitsToPixels(QSize u) { return QSize(ScaleX(u.width()), ScaleY(u.height())); }

const DialogTemplate* FindDialogTemplate(int id) {
    for (auto list : {ShellTemplates(), PageTemplates(), ConfigTemplates(), FleetTemplates()})
        for (const DialogTemplate& t : list)
            if (t.id == id)
                return &t;
    return nullptr;
}

QWidget* CreateControl(QWidget* parent, const ControlTemplate& c) {
    QWidget* w = MakeWidget(parent, c);
    w->setObjectName(QString::number(c.id));
    w->setProperty(kCtrlIdProperty, c.id);
    if (auto* grid = qobject_cast<CGridCtrl*>(w))
        grid->SetDlgCtrlID(c.id);
    QRect r = DialogUnitsToPixels(QRect(c.x, c.y, c.cx, c.cy));
    if (c.kind == ControlKind::kDropList)  // the template height is that of the dropped list
        r.setHeight(std::min(r.height(), w->sizeHint().height()));
    w->setGeometry(r);
    if (c.flags & kCtlDisabled)
        w->setEnabled(false);
    w->setVisible(!(c.flags & kCtlHidden));
    return w;
}

void BuildDialog(QWidget* dialog, const DialogTemplate& tpl) {
    dialog->setProperty(kCtrlIdProperty, tpl.id);
    if (tpl.style & kDlgChild) {
        // A child dialog is a plain widget inside its parent (setWindowFlags hides it: the
        // caller shows it once placed).
        if (dialog->isWindow() && dialog->parentWidget())
            dialog->setWindowFlags(Qt::Widget);
    } else if ((tpl.style & kDlgPopup) && !(tpl.style & kDlgCaption)) {
        dialog->setWindowFlags(dialog->windowFlags() | Qt::FramelessWindowHint);
    }
    if (tpl.title && *tpl.title)
        dialog->setWindowTitle(QString::fromUtf8(tpl.title));
    const QSize size = DialogUnitsToPixels(QSize(tpl.cx, tpl.cy));
    if (!(tpl.style & kDlgResizable)) {
        dialog->setFixedSize(size);
        for (const ControlTemplate& c : tpl.controls)
            CreateControl(dialog, c);
        return;
    }
    if (dialog->isWindow())
        dialog->setMinimumSize(size);
    dialog->resize(size);
    auto* layout = new TemplateLayout(dialog, size);
    for (const ControlTemplate& c : tpl.controls)
        layout->Add(CreateControl(dialog, c), c.stretch);
}

bool BuildDialog(QWidget* dialog, int templateId) {
    const DialogTemplate* tpl = FindDialogTemplate(templateId);
    if (!tpl)
        return false;
    BuildDialog(dialog, *tpl);
    return true;
}

QWidget* DlgItemWidget(const QWidget* dialog, int id) {
    const QString name = QString::number(id);
    for (QObject* child : dialog->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && w->objectName() == name)
            return w;
    }
    return nullptr;
}

}  // namespace cpe
