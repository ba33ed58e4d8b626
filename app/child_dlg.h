// The page host: holds the nine pages of the main window, shows one at a time, refreshes the
// shown list page 100 ms after it appears and every 10 s while no search runs, and routes the
// pager choices of the list pages to their owners.
#pragma once

#include "pages/page_host.h"
#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

#include <QBasicTimer>
#include <array>
#include <chrono>
#include <functional>

namespace cpe {

class CMenuDlg;

// Slot, dialog id and menu button of each page, in slot order.
struct PageSlot {
    int slot;
    int dialogId;
    int buttonId;
    const char* buttonKey;
};

inline constexpr std::array<PageSlot, 9> kPageSlots = {{
    {0, ids::kStatusDlg, ids::menu::kStatusButton, "Device status"},
    {1, ids::kManagementDlg, ids::menu::kManagementButton, "Device management"},
    {2, ids::kBridgeDlg, ids::menu::kBridgeButton, "Device bridge"},
    {3, ids::kRebootDlg, ids::menu::kRebootButton, "Device reboot"},
    {4, ids::kRestoreDlg, ids::menu::kRestoreButton, "Device restore"},
    {5, ids::kUpgradeDlg, ids::menu::kUpgradeButton, "Device upgrade"},
    {6, ids::kInstallHelpDlg, ids::menu::kInstallHelpButton, "Install Help"},
    {7, ids::kSystemToolDlg, ids::menu::kSystemToolButton, "System tool"},
    {8, ids::kInventoryDlg, ids::menu::kInventoryButton, "Inventory"},
}};

// The slot shown by a menu button, or -1.
int SlotOfButton(int buttonId);

class CChildDlg : public CTDialog, public PageHostLink {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kChildDlg;
    static constexpr int kFirstPageId = ids::kStatusDlg;
    static constexpr int TIMER_AUTO_REFRESH = 1000;
    static constexpr int TIMER_PAGE_SHOWN = 2000;
    static constexpr std::chrono::milliseconds kPageShownDelay{100};
    static constexpr std::chrono::milliseconds kAutoRefreshPeriod{10000};

    // Builds the page of a dialog id as a child of `parent` (the real pages unless replaced).
    using PageFactory = std::function<CTDialog*(int dialogId, QWidget* parent, PageHostLink& host, PageServices)>;

    CChildDlg(CMenuDlg* menu, PageServices services, QWidget* parent, PageFactory factory = {});

    // --- PageHostLink ---
    bool AutoRefresh() const override { return m_bAutoRefresh; }
    void SetAutoRefresh(bool on) override { m_bAutoRefresh = on; }
    void EnableMenuButtons(bool enable) override;
    QObject* PagerTarget() override { return this; }
    int CurrentPageId() const override { return m_nCurPageId; }

    // Makes the page of `slot` current, shows it alone and arms the page-shown refresh.
    void ShowPageSlot(int slot);
    // What the timer of that id does when it fires.
    void OnTimer(int timerId);

    CTDialog* PageAt(int slot) const;
    CTDialog* PageById(int dialogId) const;
    bool PageShownPending() const { return m_pageShown.isActive(); }
    bool AutoRefreshRunning() const { return m_autoRefresh.isActive(); }

    int m_nCurPageId = kFirstPageId;
    bool m_bAutoRefresh = true;

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    // Every page fills the host.
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreatePages(const PageFactory& factory, PageServices services);
    void ShowOnly(int slot);
    void RefreshCurrentPage();
    // The list page of that id, or null.
    CPageDlg* ListPage(int dialogId) const;

    CMenuDlg* m_pMenu;
    std::array<CTDialog*, kPageSlots.size()> m_pages{};
    QBasicTimer m_pageShown;
    QBasicTimer m_autoRefresh;
};

}  // namespace cpe
