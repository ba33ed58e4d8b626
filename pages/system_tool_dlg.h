// The adapter page: the computer's usable network adapters with their MAC and addresses, so the
// operator can tell which subnets the devices must be on. Read-only; refreshed every 5 seconds.
#pragma once

#include <QString>
#include <QTimer>

#include "pages/page_host.h"
#include "protocol/adapter/local_adapter.h"
#include "ui/resource_ids.h"

namespace cpe {

class CGridCtrl;
class CTStatic;

class CSystemToolDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kSystemToolDlg;
    static constexpr int kRefreshMs = 5000;

    CSystemToolDlg(QWidget* parent, PageHostLink& host, PageServices services);

    // Reads the adapters again and refills the table and the count.
    void FillGrid();
    void SetRefreshInterval(int ms) { m_refresh.setInterval(ms); }

    CGridCtrl* Grid() const { return m_pGrid; }
    CTStatic* CountLabel() const { return m_pCount; }

    // The "IP" cell of an adapter: its address texts joined by "--".
    static QString AddressesText(const adapter_record& record);
    static QString MacText(const adapter_record& record);

private:
    CGridCtrl* m_pGrid = nullptr;
    CTStatic* m_pCount = nullptr;
    QTimer m_refresh;
};

}  // namespace cpe
