// The reboot and restore pages: list pages with check boxes whose action button restarts, or
// resets to factory settings, every checked device. After a confirmation the command goes out on
// a sender thread while a 60-second wait popup is shown; meanwhile the status column follows what
// the devices report, and when the popup closes the page searches again and refreshes its list a
// second later. The page presents the action; its rules live in actions/reboot_restore_action.
#pragma once

#include <QPointer>
#include <QTimer>
#include <string>
#include <vector>

#include "actions/reboot_restore/reboot_restore_action.h"
#include "pages/list_page.h"
#include "ui/resource_ids.h"
#include "ui/wait_dlg.h"

namespace cpe {

class CRebootRestoreDlg : public CListPageDlg {
    Q_OBJECT
public:
    using Timings = actions::RebootRestoreTimings;

    ~CRebootRestoreDlg() override;

    // Takes effect from the next action.
    void SetTimings(const Timings& timings);
    // The action button: selection, confirmation, sender, and the follow-up under the wait popup.
    void OnActionButton();

    CTButtonPicture* ActionButton() const { return m_pAction; }
    // The wait popup while it is shown, else null.
    CWaitDlg* WaitPopup() const { return m_pWait; }
    bool FollowingUp() const { return m_followUp.isActive(); }
    bool RefreshPending() const { return m_refresh.isActive(); }
    const actions::RebootRestoreAction& Action() const { return m_action; }

protected:
    CRebootRestoreDlg(int dialogId, const actions::RebootRestoreKind& kind, const char* actionKey, QWidget* parent,
                      PageHostLink& host, PageServices services);

private:
    std::vector<actions::ListedRow> ListedRows() const;
    std::vector<std::string> RowMacs() const;
    void OnFollowUpTick();
    void OnWaitClosed();

    CTButtonPicture* m_pAction = nullptr;
    Timings m_timings;
    QTimer m_followUp;
    QTimer m_refresh;
    QPointer<CWaitDlg> m_pWait;
    // Last member: its sender is stopped and joined first when the page goes away.
    actions::RebootRestoreAction m_action;
};

class CRebootDlg final : public CRebootRestoreDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kRebootDlg;
    CRebootDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

class CRestoreDlg final : public CRebootRestoreDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kRestoreDlg;
    CRestoreDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

}  // namespace cpe
