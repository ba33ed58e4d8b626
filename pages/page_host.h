// What the pages need from the window that hosts them, and what the host needs from a page.
// The page host (app/) implements PageHostLink; every page of the main window derives from
// CPageDlg and is created through CreatePage.
#pragma once

#include <QObject>

#include "ui/ct_dialog.h"

namespace cpe {

class CNetManagement;
class CSqlManagement;
namespace inventory {
class Inventory;
}

// Engine and store a page works with (the process singletons in the program, test objects in tests),
// and the fleet inventory the program writes (null where there is none: the actions then keep no
// backups and no history).
struct PageServices {
    CNetManagement& engine;
    CSqlManagement& store;
    inventory::Inventory* inventory = nullptr;
};

class PageHostLink {
public:
    virtual ~PageHostLink() = default;
    // The periodic refresh flag (m_bAutoRefresh): cleared while a page runs a search.
    virtual bool AutoRefresh() const = 0;
    virtual void SetAutoRefresh(bool on) = 0;
    // Enables or disables the page buttons of the menu panel.
    virtual void EnableMenuButtons(bool enable) = 0;
    // The object pager strips notify of page choices (the page host itself).
    virtual QObject* PagerTarget() = 0;
    // The dialog id of the page shown (m_nCurPageId).
    virtual int CurrentPageId() const = 0;
};

class CPageDlg : public CTDialog {
    Q_OBJECT
public:
    CPageDlg(int dialogId, QWidget* parent, PageHostLink& host, PageServices services);
    int DialogId() const { return m_nDialogId; }
    // Redraw the list for the current page number, sort and filter (list pages only).
    virtual void RefreshList() {}
    // Show the given list page with the current sort and filter (list pages only).
    virtual void OnPagerSelect(int /*page*/) {}

protected:
    PageHostLink& Host() const { return m_host; }
    const PageServices& Services() const { return m_services; }

private:
    int m_nDialogId;
    PageHostLink& m_host;
    PageServices m_services;
};

// Builds the page of the given dialog id (133, 136, 138, 155) as a child of `parent`; null for
// other ids (the management page comes from config/, the bridge page from bridge/, the upgrade
// page from upgrade/).
CPageDlg* CreatePage(int dialogId, QWidget* parent, PageHostLink& host, PageServices services);

}  // namespace cpe
