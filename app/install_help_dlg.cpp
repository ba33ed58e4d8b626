#include "app/install_help_dlg.h"

#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/scroll_bitmap_wnd.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

namespace cpe {
namespace {

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
    m_pPicture->setGeometry(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin));
    m_pPicture->show();
    m_pPicture->LoadPicture(QString::fromStdString(Skin().paths.help));
}

void CInstallHelpDlg::resizeEvent(QResizeEvent* event) {
    CTDialog::resizeEvent(event);
    if (m_pPicture)
        m_pPicture->setGeometry(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin));
}

}  // namespace cpe
