// The management page: the device list (table M sorting, paging, search, refresh) whose
// "Operate" cell opens the configuration dialog for that device. The page keeps the last Save's
// request and its sender; while the dialog is open the periodic refresh rests, and a second after
// it closes the list reloads once.
#pragma once

#include <QTimer>
#include <chrono>
#include <string>

#include "actions/config/config_sender.h"
#include "config/management_config_dlg.h"
#include "pages/list_page.h"
#include "ui/resource_ids.h"
#include "ui/wait_dlg.h"

namespace cpe {

class CManagementDlg : public CListPageDlg, public ConfigSaveTarget {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kManagementDlg;

    // Timer periods; tests shorten them.
    struct Timings {
        std::chrono::milliseconds refreshAfterDialog{1000};
        std::chrono::milliseconds waitTick{CWaitDlg::kTickPeriod};
    };

    CManagementDlg(QWidget* parent, PageHostLink& host, PageServices services);

    void SetTimings(const Timings& timings);

    // --- ConfigSaveTarget ---
    std::vector<std::string> DeviceIps() override;
    void SendConfiguration(const actions::config_request& request) override;

    const std::string& TargetIp() const { return m_strTargetIp; }
    const std::string& TargetMac() const { return m_strTargetMac; }
    const actions::config_request& PendingConfiguration() const { return m_request; }
    bool RefreshPending() const { return m_refreshAfterDialog.isActive(); }

protected:
    void OnDataCellClick(int row, int col) override;

private:
    void OpenConfigDialog(int row);

    Timings m_timings;
    QTimer m_refreshAfterDialog;
    std::string m_strTargetIp;
    std::string m_strTargetMac;
    actions::config_request m_request;
    // Last member: stopped and joined before anything it reads goes away.
    actions::ConfigSender m_sender;
};

}  // namespace cpe
