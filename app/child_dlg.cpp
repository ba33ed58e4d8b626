#include "app/child_dlg.h"

#include "app/application_app.h"
#include "app/install_help_dlg.h"
#include "app/menu_dlg.h"
#include "bridge/bridge_dlg.h"
#include "config/management_dlg.h"
#include "fleet/inventory_page.h"
#include "ui/ct_multi_pages.h"
#include "ui/dialog_template.h"
#include "ui/translate_window.h"
#include "upgrade/upgrade_dlg.h"

#include <QTimerEvent>

namespace cpe {
namespace {

// Pages are built in this order; the first one built is the adapter page.
constexpr std::array<int, 9> kCreationOrder = {ids::kSystemToolDlg, ids::kStatusDlg,      ids::kManagementDlg,
                                               ids::kBridgeDlg,     ids::kRebootDlg,      ids::kRestoreDlg,
                                               ids::kUpgradeDlg,    ids::kInstallHelpDlg, ids::kInventoryDlg};

// Reboot, upgrade and restore lists refresh only when they are shown.
bool RefreshesPeriodically(int dialogId) {
    return dialogId != ids::kRebootDlg && dialogId != ids::kUpgradeDlg && dialogId != ids::kRestoreDlg;
}

int SlotOfPage(int dialogId) {
    for (const PageSlot& s : kPageSlots)
        if (s.dialogId == dialogId)
            return s.slot;
    return -1;
}

CTDialog* MakeRealPage(int dialogId, QWidget* parent, PageHostLink& host, PageServices services) {
    if (dialogId == CInstallHelpDlg::kDialogId)
        return new CInstallHelpDlg(parent);
    if (dialogId == CBridgeDlg::kDialogId)
        return new CBridgeDlg(parent, host, services);
    if (dialogId == CManagementDlg::kDialogId)
        return new CManagementDlg(parent, host, services);
    if (dialogId == CUpgradeDlg::kDialogId)
        return new CUpgradeDlg(parent, host, services);
    if (dialogId == CInventoryDlg::kDialogId)
        return new CInventoryDlg(parent, host, services);
    return CreatePage(dialogId, parent, host, services);
}

}  // namespace

int SlotOfButton(int buttonId) {
    for (const PageSlot& s : kPageSlots)
        if (s.buttonId == buttonId)
            return s.slot;
    return -1;
}

CChildDlg::CChildDlg(CMenuDlg* menu, PageServices services, QWidget* parent, PageFactory factory)
    : CTDialog(parent, Qt::Widget), m_pMenu(menu) {
    BuildDialog(this, kDialogId);
    if (CApplicationApp* app = CApplicationApp::Current())
        app->m_pPageHost = this;
    TranslateWindow(this);
    m_crFill = Skin().childBkColor;
    m_bFill = true;

    CreatePages(factory ? factory : PageFactory(MakeRealPage), services);
    m_nCurPageId = kFirstPageId;
    ShowOnly(SlotOfPage(kFirstPageId));
    m_pageShown.start(static_cast<int>(kPageShownDelay.count()), this);
    m_autoRefresh.start(static_cast<int>(kAutoRefreshPeriod.count()), this);
}

void CChildDlg::CreatePages(const PageFactory& factory, PageServices services) {
    for (int id : kCreationOrder) {
        const auto slot = static_cast<std::size_t>(SlotOfPage(id));
        if (m_pages[slot])
            continue;
        CTDialog* page = factory(id, this, *this, services);
        if (!page)
            continue;
        page->setGeometry(rect());
        m_pages[slot] = page;
    }
}

void CChildDlg::EnableMenuButtons(bool enable) {
    if (m_pMenu)
        m_pMenu->EnableMenuButtons(enable);
}

CTDialog* CChildDlg::PageAt(int slot) const {
    if (slot < 0 || slot >= static_cast<int>(m_pages.size()))
        return nullptr;
    return m_pages[static_cast<std::size_t>(slot)];
}

CTDialog* CChildDlg::PageById(int dialogId) const { return PageAt(SlotOfPage(dialogId)); }

CPageDlg* CChildDlg::ListPage(int dialogId) const {
    return ids::IsListPage(dialogId) ? qobject_cast<CPageDlg*>(PageById(dialogId)) : nullptr;
}

void CChildDlg::ShowOnly(int slot) {
    for (int i = 0; i < static_cast<int>(m_pages.size()); ++i)
        if (CTDialog* page = PageAt(i))
            page->setVisible(i == slot);
}

void CChildDlg::ShowPageSlot(int slot) {
    if (slot < 0 || slot >= static_cast<int>(kPageSlots.size()))
        return;
    m_nCurPageId = kPageSlots[static_cast<std::size_t>(slot)].dialogId;
    ShowOnly(slot);
    m_pageShown.start(static_cast<int>(kPageShownDelay.count()), this);
}

void CChildDlg::RefreshCurrentPage() {
    if (CPageDlg* page = ListPage(m_nCurPageId))
        page->RefreshList();
}

void CChildDlg::OnTimer(int timerId) {
    switch (timerId) {
    case TIMER_PAGE_SHOWN:
        m_pageShown.stop();
        RefreshCurrentPage();
        break;
    case TIMER_AUTO_REFRESH:
        if (m_bAutoRefresh && RefreshesPeriodically(m_nCurPageId))
            RefreshCurrentPage();
        break;
    default: break;
    }
}

void CChildDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_pageShown.timerId())
        OnTimer(TIMER_PAGE_SHOWN);
    else if (event->timerId() == m_autoRefresh.timerId())
        OnTimer(TIMER_AUTO_REFRESH);
    else
        CTDialog::timerEvent(event);
}

void CChildDlg::resizeEvent(QResizeEvent* event) {
    CTDialog::resizeEvent(event);
    for (CTDialog* page : m_pages)
        if (page)
            page->setGeometry(rect());
}

bool CChildDlg::event(QEvent* event) {
    if (event->type() == PagerSelectEvent::EventType()) {
        const auto* pager = static_cast<PagerSelectEvent*>(event);
        if (CPageDlg* page = ListPage(pager->OwnerPageId()))
            page->OnPagerSelect(pager->Page());
        return true;
    }
    return CTDialog::event(event);
}

}  // namespace cpe
