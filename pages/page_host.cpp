#include "pages/page_host.h"

#include "pages/list_pages.h"
#include "pages/status_dlg.h"
#include "pages/system_tool_dlg.h"

namespace cpe {

CPageDlg::CPageDlg(int dialogId, QWidget* parent, PageHostLink& host, PageServices services)
    : CTDialog(parent, Qt::Widget), m_nDialogId(dialogId), m_host(host), m_services(services)
{
    m_bFill = true;
    m_crFill = Skin().childBkColor;
}

CPageDlg* CreatePage(int dialogId, QWidget* parent, PageHostLink& host, PageServices services)
{
    switch (dialogId) {
    case 133: return new CStatusDlg(parent, host, services);
    case 134: return new CManagementDlg(parent, host, services);
    case 135: return new CBridgeDlg(parent, host, services);
    case 136: return new CRebootDlg(parent, host, services);
    case 137: return new CUpgradeDlg(parent, host, services);
    case 138: return new CRestoreDlg(parent, host, services);
    case 155: return new CSystemToolDlg(parent, host, services);
    default: return nullptr;
    }
}

}  // namespace cpe
