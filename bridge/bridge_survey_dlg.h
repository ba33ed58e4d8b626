// Step 0 of the bridge wizard: the device scans the air for access points and the operator ticks
// one of them in the list. A scan asks the page for a site survey, shows the busy animation and
// waits on a timer (SurveyWait decides how long), then lists what the store holds.
#pragma once

#include <QTimer>
#include <string>

#include "actions/bridge/bridge_survey.h"
#include "bridge/bridge_step_dlg.h"
#include "pages/page_host.h"
#include "ui/grid/image_list.h"
#include "ui/resource_ids.h"

namespace cpe {

class BridgeWizardHost;
class CGridCtrl;
class CTButtonPicture;
class CTPicture;
class CTStatic;
class GridNotifyEvent;

class CBridgeSearcgAPDlg : public CBridgeStepDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kBridgeSurveyDlg;
    enum Column { kSelect, kSsid, kChannel, kMac, kSecure, kSignal, kColumnCount };

    CBridgeSearcgAPDlg(BridgeWizardHost& host, PageServices services, const actions::BridgeTimings& timings,
                       QWidget* parent);

    // Empties the list and starts a new scan (the refresh button does the same).
    void Scan();
    // Ends a scan that still runs without listing anything (the wizard is closing).
    void StopScan();
    bool IsScanning() const { return m_timer.isActive(); }
    // The MAC text of the ticked row; empty when no row is ticked.
    std::string CheckedMac() const;

    CGridCtrl* Grid() const { return m_pGrid; }
    CTButtonPicture* RefreshButton() const { return m_pRefresh; }
    CTPicture* BusyPicture() const { return m_pBusy; }
    CTStatic* ScanningLabel() const { return m_pScanning; }
    const actions::SurveyWait& Wait() const { return m_wait; }

signals:
    void ScanStarted();
    void ScanFinished();
    // A row was ticked or unticked; `ticked` tells whether one is ticked now.
    void ChoiceChanged(bool ticked);

protected:
    bool event(QEvent* e) override;

private:
    void InitGrid();
    void ShowScanning(bool scanning);
    void OnTick();
    void FillGrid();
    void OnGridNotify(const GridNotifyEvent& e);

    BridgeWizardHost& m_host;
    PageServices m_services;
    actions::SurveyWait m_wait;
    QTimer m_timer;
    CGridCtrl* m_pGrid = nullptr;
    CTButtonPicture* m_pRefresh = nullptr;
    CTPicture* m_pBusy = nullptr;
    CTStatic* m_pScanning = nullptr;
    CImageList m_signals;
};

}  // namespace cpe
