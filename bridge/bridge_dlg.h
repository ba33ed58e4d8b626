// The bridge page: the device list with each device's status, from which the "Operate" cell
// opens the bridge wizard for that device, unless its mode switch holds it as an access point.
// The page keeps the device the wizard works on, owns the wizard after its window closes (its
// sender may still run) and sends the site surveys the wizard asks for. The device's reply to the
// bridge request shows as its status at the next refresh, one second after the wizard closes.
#pragma once

#include <QTimer>
#include <memory>

#include "actions/bridge/bridge_requests.h"
#include "actions/bridge/bridge_timing.h"
#include "bridge/bridge_wizard_host.h"
#include "pages/list_page.h"
#include "ui/resource_ids.h"

namespace cpe {

class CBridgeConfigDlg;

class CBridgeDlg : public CListPageDlg, public BridgeWizardHost {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kBridgeDlg;

    CBridgeDlg(QWidget* parent, PageHostLink& host, PageServices services);
    ~CBridgeDlg() override;

    // Timer periods of the page and its wizards; tests shorten them.
    void SetTimings(const actions::BridgeTimings& timings);

    // --- BridgeWizardHost ---
    const BridgeTarget& Target() const override { return m_target; }
    void RequestSurvey() override;

    // The wizard opened last, or null.
    CBridgeConfigDlg* Wizard() const { return m_pWizard.get(); }
    bool RefreshPending() const { return m_refreshTimer.isActive(); }

protected:
    void OnDataCellClick(int row, int col) override;

private:
    void OpenWizard(int row);
    void AfterWizard();

    actions::BridgeTimings m_timings;
    BridgeTarget m_target;
    QTimer m_refreshTimer;
    actions::SurveyRequester m_surveyRequester;
    // Destroyed first: a wizard's sender still running is waited for while the engine lives.
    std::unique_ptr<CBridgeConfigDlg> m_pWizard;
};

}  // namespace cpe
