// The list pages whose own actions come with their dialogs: management and upgrade. Each shows
// its list with the shared mechanics. (The reboot and restore pages have their own file; the
// bridge page lives in bridge/.)
#pragma once

#include "pages/list_page.h"
#include "ui/resource_ids.h"

namespace cpe {

class CManagementDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kManagementDlg;
    CManagementDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

class CUpgradeDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kUpgradeDlg;
    CUpgradeDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

}  // namespace cpe
