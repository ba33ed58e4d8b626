#include "pages/page_host.h"

#include "pages/reboot_restore_dlg.h"
#include "pages/status_dlg.h"
#include "pages/system_tool_dlg.h"

namespace cpe {

CPageDlg::CPageDlg(int dialogId, QWidget* parent, PageHostLink& host, PageServices services)
    : CTDialog(parent, Qt::Widget), m_nDialogId(dialogId), m_host(host), m_services(services) {
    m_bFill = true;
    m_crFill = Skin().childBkColor;
}

CPageDlg* CreatePage(int dialogId, QWidget* parent, PageHostLink& host, PageServices services) {
    switch (dialogId) {
    case CStatusDlg::kDialogId: return new CStatusDlg(parent, host, services);
    case CRebootDlg::kDialogId: return new CRebootDlg(parent, host, services);
    case CRestoreDlg::kDialogId: return new CRestoreDlg(parent, host, services);
    case CSystemToolDlg::kDialogId: return new CSystemToolDlg(parent, host, services);
    default: return nullptr;
    }
}

}  // namespace cpe
