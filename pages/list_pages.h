// The list pages whose own actions come with their dialogs: management, bridge, reboot, upgrade
// and restore. Each shows its list with the shared mechanics.
#pragma once

#include "pages/list_page.h"

namespace cpe {

class CManagementDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = 134;
    CManagementDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

class CBridgeDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = 135;
    CBridgeDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

class CRebootDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = 136;
    CRebootDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

class CUpgradeDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = 137;
    CUpgradeDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

class CRestoreDlg : public CListPageDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = 138;
    CRestoreDlg(QWidget* parent, PageHostLink& host, PageServices services);
};

}  // namespace cpe
