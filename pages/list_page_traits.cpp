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
                     {{C::Serial, "Serial", 40, true},
                      {C::Location, "Location", 90, true},
                      {C::Type, "Type", 50, true},
                      {C::Ip, "IP", 102, true},
                      {C::Mac, "MAC", 112, true},
                      {C::OperationMode, "OperationMode", 66, true},
                      {C::Ssid, "SSID", 90, true},
                      {C::Channel, "Channel", 60, true},
                      {C::Version, "Version", 60, true},
                      {C::Time, "Time", 70, true},
                      {C::Operate, "Operate", 70, false}},
                     kTableS,
                     IconStrip::Web,
                     true,
                     true});
    pages.push_back({ids::kManagementDlg,
                     ids::list_page::kManagementGrid,
                     0,
                     {{C::Serial, "Serial", 40, true},
                      {C::Location, "Location", 90, true},
                      {C::Type, "Type", 50, true},
                      {C::Ip, "IP", 102, true},
                      {C::Mac, "MAC", 112, true},
                      {C::OperationMode, "OperationMode", 66, true},
                      {C::Ssid, "SSID", 90, true},
                      {C::Channel, "Channel", 60, true},
                      {C::SecureMode, "SecureMode", 70, true},
                      {C::Power, "Power", 70, true},
                      {C::Operate, "Operate", 60, false}},
                     kTableM,
                     IconStrip::Write,
                     false,
                     false});
    pages.push_back({ids::kBridgeDlg,
                     ids::list_page::kBridgeGrid,
                     0,
                     {{C::Serial, "Serial", 40, false},
                      {C::Location, "Location", 90, true},
                      {C::Type, "Type", 50, true},
                      {C::Ip, "IP", 102, true},
                      {C::Mac, "MAC", 112, true},
                      {C::OperationMode, "OperationMode", 66, true},
                      {C::Ssid, "SSID", 90, true},
                      {C::Channel, "Channel", 60, true},
                      {C::SecureMode, "SecureMode", 70, true},
                      {C::Status, "Status", 70, true},
                      {C::Operate, "Operate", 60, false}},
                     kTableB,
                     IconStrip::Bridge,
                     false,
                     false});
    pages.push_back({ids::kRebootDlg,
                     ids::list_page::kRebootGrid,
                     ids::list_page::kRebootButton,
                     {{C::Check, "", 30, false},
                      {C::Serial, "Serial", 40, true},
                      {C::Location, "Location", 90, true},
                      {C::Type, "Type", 50, true},
                      {C::Ip, "IP", 102, true},
                      {C::Mac, "MAC", 112, true},
                      {C::OperationMode, "OperationMode", 66, true},
                      {C::Ssid, "SSID", 100, true},
                      {C::Channel, "Channel", 60, true},
                      {C::SecureMode, "SecureMode", 80, true},
                      {C::Status, "Status", 80, false}},
                     kTableB,
                     IconStrip::None,
                     false,
                     false});
    pages.push_back({ids::kUpgradeDlg,
                     ids::list_page::kUpgradeGrid,
                     ids::list_page::kUpgradeButton,
                     {{C::Check, "", 30, false},
                      {C::Serial, "Serial", 40, true},
                      {C::Location, "Location", 90, true},
                      {C::Type, "Type", 60, true},
                      {C::Ip, "IP", 102, true},
                      {C::Mac, "MAC", 112, true},
                      {C::OperationMode, "OperationMode", 86, true},
                      {C::Ssid, "SSID", 120, true},
                      {C::Version, "Version", 100, true},
                      {C::Status, "Status", 70, true}},
                     kTableU,
                     IconStrip::None,
                     false,
                     false});
    pages.push_back({ids::kRestoreDlg,
                     ids::list_page::kRestoreGrid,
                     ids::list_page::kRestoreButton,
                     {{C::Check, "", 30, false},
                      {C::Serial, "Serial", 40, true},
                      {C::Location, "Location", 90, true},
                      {C::Type, "Type", 50, true},
                      {C::Ip, "IP", 92, true},
                      {C::Mac, "MAC", 112, true},
                      {C::OperationMode, "OperationMode", 66, true},
                      {C::Ssid, "SSID", 70, true},
                      {C::Channel, "Channel", 60, true},
                      {C::SecureMode, "SecureMode", 70, true},
                      {C::Power, "Power", 70, true},
                      {C::Status, "Status", 60, false}},
                     kTableM,
                     IconStrip::None,
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
    const int index = column - ColumnOf(ListColumn::Location);
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
