#include "bridge/bridge_dlg.h"

#include "actions/bridge/bridge_wizard.h"
#include "bridge/bridge_config_dlg.h"
#include "protocol/codes.h"
#include "store/sql_management.h"
#include "ui/message_box.h"
#include "ui/page_text.h"

#include <cstring>

namespace cpe {

CBridgeDlg::CBridgeDlg(QWidget* parent, PageHostLink& host, PageServices services)
    : CListPageDlg(*FindListPageTraits(kDialogId), parent, host, services), m_surveyRequester(services.engine) {
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(static_cast<int>(m_timings.refreshAfterWizard.count()));
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] { RefreshList(); });
}

CBridgeDlg::~CBridgeDlg() {
    m_refreshTimer.stop();
    m_pWizard.reset();
    m_surveyRequester.Stop();
}

void CBridgeDlg::SetTimings(const actions::BridgeTimings& timings) {
    m_timings = timings;
    m_refreshTimer.setInterval(static_cast<int>(timings.refreshAfterWizard.count()));
}

void CBridgeDlg::OnDataCellClick(int row, int col) {
    if (Traits().columns[static_cast<std::size_t>(col)].kind == ListColumn::kOperate)
        OpenWizard(row);
}

void CBridgeDlg::OpenWizard(int row) {
    m_target.ip = CellAnsi(row, ListColumn::kIp);
    m_target.mac = CellAnsi(row, ListColumn::kMac);
    m_target.model = ModelCode(CellAnsi(row, ListColumn::kType));
    m_pWizard.reset();
    Host().SetAutoRefresh(false);

    ap_info_stu device;
    std::memset(&device, 0, sizeof device);
    Services().store.GetDevice(m_target.mac, device);
    if (!actions::ModeSwitchAllowsBridge(device.mode_btn_status)) {
        ShowMessageBox(this, PageText(std::string(actions::kModeSwitchAtAp).c_str()), MessageIcon::kExclamation);
        AfterWizard();
        return;
    }
    m_pWizard = std::make_unique<CBridgeConfigDlg>(device, *this, Services(), m_timings, this);
    connect(m_pWizard.get(), &QDialog::finished, this, &CBridgeDlg::AfterWizard);
    m_pWizard->open();
}

void CBridgeDlg::AfterWizard() {
    Host().SetAutoRefresh(true);
    m_refreshTimer.start();
}

void CBridgeDlg::RequestSurvey() { m_surveyRequester.Request(m_target.ip, m_target.mac); }

}  // namespace cpe
