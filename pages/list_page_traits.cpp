#include "pages/list_page_traits.h"

#include "store/sql_management.h"
#include "ui/resource_ids.h"

namespace cpe {
namespace {

using C = ListColumn;
using S = CSqlManagement::SortCode;

// Sort tables: index 0 is the "Location" column.
const std::vector<int> kTableS = {S::kSortApName, S::kSortApType,  S::kSortIpNum,   S::kSortMac,   S::kSortWorkMode,
                                  S::kSortSsid,   S::kSortChannel, S::kSortVersion, S::kSortUpTime};
const std::vector<int> kTableB = {S::kSortApName,  S::kSortApType,     S::kSortIpNum,
                                  S::kSortMac,     S::kSortWorkMode,   S::kSortSsid,
                                  S::kSortChannel, S::kSortSecureMode, S::kSortApStatus};
const std::vector<int> kTableM = {S::kSortApName, S::kSortApType,  S::kSortIpNum,      S::kSortMac,    S::kSortWorkMode,
                                  S::kSortSsid,   S::kSortChannel, S::kSortSecureMode, S::kSortTxPower};
const std::vector<int> kTableU = {S::kSortApName,   S::kSortApType, S::kSortIpNum,   S::kSortMac,
                                  S::kSortWorkMode, S::kSortSsid,   S::kSortVersion, S::kSortApStatus};

std::vector<ListPageTraits> MakePages() {
    std::vector<ListPageTraits> pages;
    pages.push_back({ids::kStatusDlg,
                     ids::list_page::kStatusGrid,
                     0,
                     {{C::kSerial, "Serial", 40, true},
                      {C::kLocation, "Location", 90, true},
                      {C::kType, "Type", 50, true},
                      {C::kIp, "IP", 102, true},
                      {C::kMac, "MAC", 112, true},
                      {C::kOperationMode, "OperationMode", 66, true},
                      {C::kSsid, "SSID", 90, true},
                      {C::kChannel, "Channel", 60, true},
                      {C::kVersion, "Version", 60, true},
                      {C::kTime, "Time", 70, true},
                      {C::kOperate, "Operate", 70, false}},
                     kTableS,
                     IconStrip::kWeb,
                     true,
                     true});
    pages.push_back({ids::kManagementDlg,
                     ids::list_page::kManagementGrid,
                     0,
                     {{C::kSerial, "Serial", 40, true},
                      {C::kLocation, "Location", 90, true},
                      {C::kType, "Type", 50, true},
                      {C::kIp, "IP", 102, true},
                      {C::kMac, "MAC", 112, true},
                      {C::kOperationMode, "OperationMode", 66, true},
                      {C::kSsid, "SSID", 90, true},
                      {C::kChannel, "Channel", 60, true},
                      {C::kSecureMode, "SecureMode", 70, true},
                      {C::kPower, "Power", 70, true},
                      {C::kOperate, "Operate", 60, false}},
                     kTableM,
                     IconStrip::kWrite,
                     false,
                     false});
    pages.push_back({ids::kBridgeDlg,
                     ids::list_page::kBridgeGrid,
                     0,
                     {{C::kSerial, "Serial", 40, false},
                      {C::kLocation, "Location", 90, true},
                      {C::kType, "Type", 50, true},
                      {C::kIp, "IP", 102, true},
                      {C::kMac, "MAC", 112, true},
                      {C::kOperationMode, "OperationMode", 66, true},
                      {C::kSsid, "SSID", 90, true},
                      {C::kChannel, "Channel", 60, true},
                      {C::kSecureMode, "SecureMode", 70, true},
                      {C::kStatus, "Status", 70, true},
                      {C::kOperate, "Operate", 60, false}},
                     kTableB,
                     IconStrip::kBridge,
                     false,
                     false});
    pages.push_back({ids::kRebootDlg,
                     ids::list_page::kRebootGrid,
                     ids::list_page::kRebootButton,
                     {{C::kCheck, "", 30, false},
                      {C::kSerial, "Serial", 40, true},
                      {C::kLocation, "Location", 90, true},
                      {C::kType, "Type", 50, true},
                      {C::kIp, "IP", 102, true},
                      {C::kMac, "MAC", 112, true},
                      {C::kOperationMode, "OperationMode", 66, true},
                      {C::kSsid, "SSID", 100, true},
                      {C::kChannel, "Channel", 60, true},
                      {C::kSecureMode, "SecureMode", 80, true},
                      {C::kStatus, "Status", 80, false}},
                     kTableB,
                     IconStrip::kNone,
                     false,
                     false});
    pages.push_back({ids::kUpgradeDlg,
                     ids::list_page::kUpgradeGrid,
                     ids::list_page::kUpgradeButton,
                     {{C::kCheck, "", 30, false},
                      {C::kSerial, "Serial", 40, true},
                      {C::kLocation, "Location", 90, true},
                      {C::kType, "Type", 60, true},
                      {C::kIp, "IP", 102, true},
                      {C::kMac, "MAC", 112, true},
                      {C::kOperationMode, "OperationMode", 86, true},
                      {C::kSsid, "SSID", 120, true},
                      {C::kVersion, "Version", 100, true},
                      {C::kStatus, "Status", 70, true}},
                     kTableU,
                     IconStrip::kNone,
                     false,
                     false});
    pages.push_back({ids::kRestoreDlg,
                     ids::list_page::kRestoreGrid,
                     ids::list_page::kRestoreButton,
                     {{C::kCheck, "", 30, false},
                      {C::kSerial, "Serial", 40, true},
                      {C::kLocation, "Location", 90, true},
                      {C::kType, "Type", 50, true},
                      {C::kIp, "IP", 92, true},
                      {C::kMac, "MAC", 112, true},
                      {C::kOperationMode, "OperationMode", 66, true},
                      {C::kSsid, "SSID", 70, true},
                      {C::kChannel, "Channel", 60, true},
                      {C::kSecureMode, "SecureMode", 70, true},
                      {C::kPower, "Power", 70, true},
                      {C::kStatus, "Status", 60, false}},
                     kTableM,
                     IconStrip::kNone,
                     false,
                     false});
    return pages;
}

const std::vector<ListPageTraits> kPages = MakePages();

}  // namespace

int ListPageTraits::ColumnOf(ListColumn kind) const {
    for (int c = 0; c < ColumnCount(); ++c)
        if (columns[static_cast<std::size_t>(c)].kind == kind)
            return c;
    return -1;
}

int ListPageTraits::SortCode(int column) const {
    const int index = column - ColumnOf(ListColumn::kLocation);
    if (index < 0 || index >= static_cast<int>(sortTable.size()))
        return CSqlManagement::kSortIpNum;
    return sortTable[static_cast<std::size_t>(index)];
}

bool ListPageTraits::HeaderSorts(int column) const {
    return column >= 0 && column < ColumnCount() && columns[static_cast<std::size_t>(column)].sorts;
}

const ListPageTraits* FindListPageTraits(int dialogId) {
    for (const ListPageTraits& traits : kPages)
        if (traits.dialogId == dialogId)
            return &traits;
    return nullptr;
}

}  // namespace cpe
