#include "pages/list_pages.h"

namespace cpe {

CUpgradeDlg::CUpgradeDlg(QWidget* parent, PageHostLink& host, PageServices services)
    : CListPageDlg(*FindListPageTraits(kDialogId), parent, host, services)
{
}

}  // namespace cpe
