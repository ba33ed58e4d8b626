#include "app/install_help_dlg.h"

#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/scroll_bitmap_wnd.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

namespace cpe {
namespace {

// The picture window's rectangle in pixels, (5, 5) to (855, 590).
constexpr QRect kPictureRect(QPoint(5, 5), QPoint(854, 589));
constexpr int kMargin = 5;

}  // namespace

CInstallHelpDlg::CInstallHelpDlg(QWidget* parent) : CTDialog(parent, Qt::Widget) {
    BuildDialog(this, kDialogId);
    TranslateWindow(this);
    m_crFill = Skin().childBkColor;
    m_bFill = true;

    if (auto* hint = DlgItem<CTStatic>(this, kHintLabelId)) {
        ApplyLabelStyle(*hint);
        hint->hide();
    }

    m_pPicture = new CScrollBitmapWnd(this);
    m_pPicture->setObjectName(QString::number(kPictureId));
    m_pPicture->setProperty(kCtrlIdProperty, kPictureId);
    // Kept inside the page, so that both scroll bars stay on screen.
    m_pPicture->setGeometry(kPictureRect.intersected(rect().adjusted(0, 0, -kMargin, -kMargin)));
    m_pPicture->show();
    m_pPicture->LoadPicture(QString::fromStdString(Skin().paths.help));
}

}  // namespace cpe
