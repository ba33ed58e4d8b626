// Dialog and page layouts kept as data: size and controls in dialog units, laid out with one
// dialog-unit-to-pixel conversion. A new dialog is added by adding its template.
#pragma once

#include <QRect>
#include <QSize>
#include <QVariant>
#include <QWidget>
#include <span>
#include <vector>

namespace cpe {

enum class ControlKind {
    kPushButton,     // ordinary push button
    kPictureButton,  // CTButtonPicture
    kLabel,          // plain label
    kSkinLabel,      // CTStatic
    kEdit,           // plain line edit
    kSkinEdit,       // CTEdit
    kDropList,       // combo box without an edit field
    kCheckBox,
    kRadioButton,
    kGroupBox,
    kProgress,
    kGrid,       // CGridCtrl
    kPager,      // CTMultiPages
    kPicture,    // CTPicture (still or animated)
    kIpAddress,  // dotted-quad field
    kTab,        // tab strip drawn by the dialog itself
};

enum ControlFlags : unsigned {
    kCtlNone = 0,
    kCtlCentre = 0x01,    // centred text
    kCtlRight = 0x02,     // right-aligned text
    kCtlHidden = 0x04,    // created hidden
    kCtlDisabled = 0x08,  // created disabled
    kCtlPassword = 0x10,
    kCtlNumber = 0x20,  // digits only
    kCtlReadOnly = 0x40,
    kCtlMultiline = 0x80,
    kCtlStretchPicture = 0x100,  // a picture drawn over the whole control
};

// How a control of a resizable dialog follows the dialog's size: the share, in percent, of the
// dialog's growth beyond its template it moves by and grows by in each direction (a dialog
// smaller than its template takes the same shares of the shrinkage).
struct Stretch {
    int moveX = 0;
    int moveY = 0;
    int sizeX = 0;
    int sizeY = 0;
    bool operator==(const Stretch&) const = default;
};

inline constexpr Stretch kStayPut{};
inline constexpr Stretch kFillBoth{0, 0, 100, 100};
inline constexpr Stretch kStickRight{100, 0, 0, 0};
inline constexpr Stretch kStickBottom{0, 100, 0, 0};
inline constexpr Stretch kStickBottomRight{100, 100, 0, 0};
inline constexpr Stretch kBottomFillX{0, 100, 100, 0};
inline constexpr Stretch kCentre{50, 50, 0, 0};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, cx, cy;  // dialog units
    unsigned flags = kCtlNone;
    Stretch stretch = kStayPut;
};

enum DialogStyle : unsigned {
    kDlgChild = 0x01,
    kDlgPopup = 0x02,
    kDlgCaption = 0x04,  // has a title bar
    kDlgAppWindow = 0x08,
    // May be sized beyond its template (a window: never below it); its controls follow their
    // stretch rules.
    kDlgResizable = 0x10,
};

struct DialogTemplate {
    int id;
    const char* className;
    int cx, cy;  // dialog units
    unsigned style;
    const char* title;
    std::vector<ControlTemplate> controls;
};

// Dialog units of the dialog font to pixels (a unit is 1/4 of the average character width and
// 1/8 of the character height: 6 x 13 pixels for the 8-point dialog font at 96 dpi).
QRect DialogUnitsToPixels(const QRect& units);
QSize DialogUnitsToPixels(QSize units);

const DialogTemplate* FindDialogTemplate(int id);
std::span<const DialogTemplate> ShellTemplates();
std::span<const DialogTemplate> PageTemplates();
std::span<const DialogTemplate> ConfigTemplates();
std::span<const DialogTemplate> FleetTemplates();

// Sizes `dialog` to the template (a fixed size unless the template is resizable), makes a child
// template a plain child widget (hidden until shown) and a caption-less popup frameless, and
// creates its controls (object name and "ctrlId" property = control id). Returns false when there
// is no template of that id.
bool BuildDialog(QWidget* dialog, int templateId);
void BuildDialog(QWidget* dialog, const DialogTemplate& tpl);
QWidget* CreateControl(QWidget* parent, const ControlTemplate& ctl);

// The control of a built dialog by id, as T (null when absent or of another kind).
QWidget* DlgItemWidget(const QWidget* dialog, int id);
template <class T>
T* DlgItem(const QWidget* dialog, int id) {
    return qobject_cast<T*>(DlgItemWidget(dialog, id));
}

inline constexpr const char* kCtrlIdProperty = "ctrlId";

}  // namespace cpe
