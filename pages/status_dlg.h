// The status page: the device list with status icons, topped up with devices that answered a
// search but sent no record yet; the discovery run behind its Search button; opening a device's
// web page from the "Operate" column; and renaming a device in place in the "Location" column.
#pragma once

#include <QTimer>
#include <string>
#include <thread>

#include "actions/status/discovery_run.h"
#include "pages/list_page.h"
#include "ui/resource_ids.h"

namespace cpe {

class CTPicture;

class CStatusDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kStatusDlg;
    static constexpr int kRunTicks = actions::DiscoveryRun::kRunTicks;  // a discovery run lasts this many ticks

    // Timer periods; tests shorten them.
    struct Timings {
        int discoveryTickMs = 1000;
        int renameRefreshMs = 1000;
    };

    CStatusDlg(QWidget* parent, PageHostLink& host, PageServices services);
    ~CStatusDlg() override;

    void SetTimings(const Timings& timings);
    // The Search button: starts a discovery run when idle, stops the running one otherwise.
    void OnSearchButton();
    bool IsIdle() const { return !m_run.Running(); }
    int TickCount() const { return m_run.Ticks(); }
    CTButtonPicture* SearchButton() const { return m_pSearch; }
    CTPicture* BusyPicture() const { return m_pBusy; }

protected:
    void OnGridNotify(GridNotifyEvent& e) override;
    void OnDataCellClick(int row, int col) override;

private:
    void StartDiscovery();
    void StopDiscovery();
    void OnDiscoveryTick();
    void OnBeginEdit(GridNotifyEvent& e);
    void OnEndEdit(GridNotifyEvent& e);
    void OpenWebPage(int row);
    void StartRenameSender(std::string ip, std::string name);

    CTButtonPicture* m_pSearch = nullptr;
    CTPicture* m_pBusy = nullptr;
    QTimer m_discoveryTimer;
    QTimer m_renameRefresh;
    actions::DiscoveryRun m_run;
    QString m_strOldName;
    // Last member: stopped and joined before anything it could reach goes away.
    std::jthread m_renameSender;
};

}  // namespace cpe
