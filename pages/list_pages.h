// The list page whose own action comes with its dialog: upgrade. It shows its list with the shared
// mechanics. (The reboot and restore pages have their own file; the management page lives in
// config/, the bridge page in bridge/.)
#pragma once

#include "pages/list_page.h"
#include "ui/resource_ids.h"

namespace cpe {

class CUpgradeDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kUpgradeDlg;
    CUpgradeDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

}  // namespace cpe
