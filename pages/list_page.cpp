#include "pages/list_page.h"

#include "engine/net_management.h"
#include "protocol/codes.h"
#include "store/sql_management.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_edit.h"
#include "ui/ct_multi_pages.h"
#include "ui/ct_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/grid/check_column.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/page_text.h"
#include "ui/resource_ids.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

#include <QComboBox>
#include <QShortcut>

namespace cpe {
namespace {

constexpr int kPageSizes[] = {15, 30, 50, 100};
constexpr int kDefaultPageSizeIndex = 1;
constexpr QSize kIconSize(50, 16);
constexpr int kStatusIconWidth = 16;

QString IconStripPath(IconStrip strip) {
    switch (strip) {
    case IconStrip::kWeb: return QString::fromStdString(Skin().paths.web);
    case IconStrip::kBridge: return QString::fromStdString(Skin().paths.bridge);
    case IconStrip::kWrite: return QString::fromStdString(Skin().paths.write);
    case IconStrip::kInventory: return QString::fromStdString(Skin().paths.inventory);
    case IconStrip::kNone: break;
    }
    return {};
}

void LoadPicture(QWidget* page, int id, const std::string& path) {
    if (path.empty())
        return;
    if (auto* picture = DlgItem<CTPicture>(page, id); picture && picture->LoadFile(QString::fromStdString(path)))
        picture->DrawPicture();
}

}  // namespace

CListPageDlg::CListPageDlg(const ListPageTraits& traits, QWidget* parent, PageHostLink& host, PageServices services)
    : CPageDlg(traits.dialogId, parent, host, services),
      m_traits(traits),
      m_nSortColumn(traits.ColumnOf(traits.initialSort)) {
    BuildDialog(this, traits.dialogId);
    TranslateWindow(this);
    InitControls();
    InitGrid();
}

void CListPageDlg::InitControls() {
    const SkinPaths& paths = Skin().paths;
    m_pGrid = DlgItem<CGridCtrl>(this, m_traits.gridId);
    m_pPager = DlgItem<CTMultiPages>(this, ids::list_page::kPager);
    m_pPageSize = DlgItem<QComboBox>(this, ids::list_page::kPageSize);
    m_pSearchEdit = DlgItem<CTEdit>(this, ids::list_page::kSearchEdit);
    m_pOnlineLabel = DlgItem<CTStatic>(this, ids::list_page::kOnlineCount);
    m_pRefresh = DlgItem<CTButtonPicture>(this, ids::list_page::kRefreshButton);

    for (int id : {ids::list_page::kOnlineCount, ids::list_page::kHint, ids::list_page::kPageSizeLabel})
        if (auto* label = DlgItem<CTStatic>(this, id))
            ApplyLabelStyle(*label);
    LoadPicture(this, ids::list_page::kSearchFrameLeft, paths.btnPie);
    LoadPicture(this, ids::list_page::kSearchFrameRight, paths.btnPie2);
    LoadPicture(this, ids::list_page::kSeparator, paths.line);

    if (!paths.btnUpdateNormal.empty()) {
        const QString updateNormal = QString::fromStdString(paths.btnUpdateNormal);
        const QString updateDown = QString::fromStdString(paths.btnUpdateDown);
        m_pRefresh->SetImages(updateNormal, updateDown, updateDown, updateNormal);
    }
    connect(m_pRefresh, &QAbstractButton::clicked, this,
            [this] { RefreshPage(m_nCurPage, CurrentAscending(), m_nSortColumn, m_strSearch); });

    for (int size : kPageSizes)
        m_pPageSize->addItem(QString::number(size), size);
    m_pPageSize->setCurrentIndex(kDefaultPageSizeIndex);
    connect(m_pPageSize, &QComboBox::currentIndexChanged, this,
            [this] { RefreshPage(1, CurrentAscending(), m_nSortColumn, m_strSearch); });

    connect(m_pSearchEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_strSearch = text;
        RefreshPage(1, CurrentAscending(), m_nSortColumn, m_strSearch);
    });

    // Ctrl+F puts the cursor in the search box of the page on screen (a hidden page's shortcut
    // never fires).
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        if (!m_pSearchEdit->isEnabled())
            return;
        m_pSearchEdit->setFocus(Qt::ShortcutFocusReason);
        m_pSearchEdit->selectAll();
    });

    m_pPager->ResetPager(Host().PagerTarget(), DialogId());

    // A page that offers its action shows the button itself.
    if (m_traits.actionId != 0)
        if (QWidget* action = DlgItemWidget(this, m_traits.actionId))
            action->hide();
    SetOnlineCountText(*m_pOnlineLabel, 0);
}

void CListPageDlg::InitGrid() {
    CGridCtrl& grid = *m_pGrid;
    ApplyListGridStyle(grid);
    grid.EnableSelection(true);
    grid.SetRowCount(1);
    grid.SetColumnCount(m_traits.ColumnCount());
    grid.SetFixedRowCount(1);
    for (int c = 0; c < m_traits.ColumnCount(); ++c) {
        const ListColumnDef& column = m_traits.columns[static_cast<std::size_t>(c)];
        SetTitleCell(grid, c, column.width, PageText(column.header));
        if (column.kind == ListColumn::kOperate || column.kind == ListColumn::kCheck)
            grid.AddHandColumn(c);
    }
    if (m_traits.HasCheckBoxes())
        grid.SetCheckCell(0);
    if (const QString strip = IconStripPath(m_traits.icons); !strip.isEmpty()) {
        m_images = CImageList::FromFile(strip, kIconSize);
        grid.SetImageList(&m_images);
    }
    // Titles, numbers, addresses and the icon that opens a row are never cut when the window
    // narrows; names, SSIDs and the like give way first.
    for (int c = 0; c < m_traits.ColumnCount(); ++c) {
        const ListColumnDef& column = m_traits.columns[static_cast<std::size_t>(c)];
        switch (column.kind) {
        case ListColumn::kCheck: grid.SetColumnMinimumWidth(c, column.width); break;
        case ListColumn::kSerial:
            SetColumnMinimumText(grid, c, QStringLiteral("000"), m_traits.statusIcon ? kStatusIconWidth : 0);
            break;
        case ListColumn::kIp: SetColumnMinimumText(grid, c, QStringLiteral("255.255.255.255")); break;
        case ListColumn::kMac: SetColumnMinimumText(grid, c, QStringLiteral("00:00:00:00:00:00")); break;
        case ListColumn::kOperate: SetColumnMinimumText(grid, c, QString(), m_images.UsedWidth(0)); break;
        default: SetColumnMinimumText(grid, c, QString()); break;
        }
    }
    grid.SetSortColumn(m_nSortColumn);
    grid.SetSortAscending(CurrentAscending());
}

int CListPageDlg::PageSize() const {
    const int size = m_pPageSize->currentData().toInt();
    return size > 0 ? size : kPageSizes[kDefaultPageSizeIndex];
}

void CListPageDlg::RefreshList() { RefreshPage(m_nCurPage, CurrentAscending(), m_nSortColumn, m_strSearch); }

void CListPageDlg::OnPagerSelect(int page) { RefreshPage(page, CurrentAscending(), m_nSortColumn, m_strSearch); }

void CListPageDlg::RefreshPage(int page, bool ascending, int sortColumn, const QString& searchText) {
    const int pageSize = PageSize();
    LoadedPage loaded = LoadPage(page, pageSize, ascending, sortColumn, searchText);
    if (page > 1 && page > loaded.pageCount) {
        // The list shrank below the page shown: show the first page, which is what the pager
        // shows too, rather than an empty page the pager offers no way back from.
        page = 1;
        loaded = LoadPage(page, pageSize, ascending, sortColumn, searchText);
    }
    m_nSortColumn = sortColumn;
    m_nCurPage = page;
    m_nPageCount = loaded.pageCount;

    m_pGrid->SetSortColumn(sortColumn);
    m_pGrid->SetSortAscending(ascending);

    m_pPager->m_nTotalPage = loaded.pageCount;
    m_pPager->m_nCurPage = loaded.pageCount < page ? 1 : page;
    m_pPager->UpdateLayout();
    m_pPager->update();

    m_nOnlineCount = loaded.count;
    ShowCount(loaded.count);
}

CListPageDlg::LoadedPage CListPageDlg::LoadPage(int page, int pageSize, bool ascending, int sortColumn,
                                                const QString& searchText) {
    LoadedPage loaded;
    std::vector<ap_info_stu> stored;
    Services().store.GetDevicePage(m_traits.SortCode(sortColumn), ascending, pageSize, page, searchText.toStdString(),
                                   loaded.pageCount, loaded.count, stored);
    std::vector<ap_info_stu> discovered;
    const auto freeRows = static_cast<std::size_t>(pageSize) - std::min<std::size_t>(stored.size(), pageSize);
    if (m_traits.topUp && freeRows > 0 && (page == loaded.pageCount || loaded.pageCount == 0)) {
        // A search text the local code set cannot hold matches no device (and must not become
        // an empty filter that matches every one).
        const std::string ansiFilter = searchText.isEmpty() ? std::string() : ToAnsi(searchText);
        if (searchText.isEmpty() || !ansiFilter.empty())
            Services().engine.GetDiscovered(discovered, freeRows, ansiFilter);
    }
    FillGrid(stored, discovered, page, pageSize);
    return loaded;
}

void CListPageDlg::ShowCount(int count) { SetOnlineCountText(*m_pOnlineLabel, count); }

void CListPageDlg::ResetRows(int dataRows) {
    CGridCtrl& grid = *m_pGrid;
    grid.SetRedraw(false);
    grid.DeleteNonFixedRows();
    // The rows come back unchecked, and so does the select-all box: its next click checks them all.
    if (CGridCellCheck* selectAll = grid.GetCheckCell(0))
        selectAll->SetCheck(false);
    grid.SetRowCount(1 + dataRows);
}

void CListPageDlg::FillGrid(const std::vector<ap_info_stu>& stored, const std::vector<ap_info_stu>& discovered,
                            int page, int pageSize) {
    m_nStoreRows = static_cast<int>(stored.size());
    m_nToppedRows = static_cast<int>(discovered.size());
    ResetRows(m_nStoreRows + m_nToppedRows);
    const int firstSerial = (page - 1) * pageSize + 1;
    int row = 1;
    for (const ap_info_stu& record : stored) {
        FillRow(row, firstSerial + row - 1, record, false);
        ++row;
    }
    for (const ap_info_stu& record : discovered) {
        FillRow(row, firstSerial + row - 1, record, true);
        ++row;
    }
    m_pGrid->SetRedraw(true);
}

void CListPageDlg::FillRow(int row, int serial, const ap_info_stu& record, bool discovered) {
    CGridCtrl& grid = *m_pGrid;
    const int status = discovered ? kDiscoveredStatus : record.ap_status.get();
    const auto setCell = discovered ? SetOfflineCell : SetDataCell;
    for (int c = 0; c < m_traits.ColumnCount(); ++c) {
        const ListColumn kind = m_traits.columns[static_cast<std::size_t>(c)].kind;
        switch (kind) {
        case ListColumn::kCheck:
            setCell(grid, row, c, QString(), kCellFormat);
            grid.SetCheckCell(row);
            break;
        case ListColumn::kSerial:
            setCell(grid, row, c, QString::number(serial), kCellFormat);
            if (m_traits.statusIcon)
                grid.SetItemImage(row, c, status);
            break;
        case ListColumn::kOperate:
            setCell(grid, row, c, QString(), kCellFormat);
            if (!discovered)
                grid.SetItemImage(row, c, 0);
            break;
        case ListColumn::kStatus:
            if (!discovered && status != kStatusOffline)
                SetOnlineCell(grid, row, c, RecordCellText(kind, record), kCellFormat);
            else
                setCell(grid, row, c, RecordCellText(kind, record), kCellFormat);
            break;
        default: setCell(grid, row, c, RecordCellText(kind, record), kCellFormat); break;
        }
    }
}

bool CListPageDlg::IsToppedUpRow(int row) const { return row > m_nStoreRows && row <= m_nStoreRows + m_nToppedRows; }

bool CListPageDlg::event(QEvent* e) {
    if (e->type() == GridNotifyEvent::EventType()) {
        auto* notify = static_cast<GridNotifyEvent*>(e);
        if (notify->Notify().ctrlId == m_traits.gridId)
            OnGridNotify(*notify);
        return true;
    }
    return CPageDlg::event(e);
}

void CListPageDlg::OnGridNotify(GridNotifyEvent& e) {
    const GridNotify& n = e.Notify();
    if (n.code != NM_CLICK)
        return;
    if (n.iRow == 0) {
        OnHeaderClick(n.iColumn);
        return;
    }
    if (n.iRow < 1 || n.iRow >= m_pGrid->GetRowCount() || n.iColumn < 0 || n.iColumn >= m_traits.ColumnCount())
        return;
    if (m_traits.HasCheckBoxes() && n.iColumn == 0) {
        FlipRowCheck(*m_pGrid, n.iRow);
        return;
    }
    OnDataCellClick(n.iRow, n.iColumn);
}

void CListPageDlg::OnHeaderClick(int col) {
    if (m_traits.HasCheckBoxes() && col == 0) {
        FlipAllChecks(*m_pGrid);
        return;
    }
    if (!m_traits.HeaderSorts(col))
        return;
    RefreshPage(1, m_bDirection, col, m_strSearch);
    m_bDirection = !m_bDirection;
}

void CListPageDlg::EnableListControls(bool enable) {
    m_pSearchEdit->setEnabled(enable);
    m_pGrid->setEnabled(enable);
    m_pPageSize->setEnabled(enable);
}

std::string CListPageDlg::CellAnsi(int row, ListColumn column) const {
    return ToAnsi(m_pGrid->GetItemText(row, m_traits.ColumnOf(column)));
}

CTButtonPicture* CListPageDlg::SetUpActionButton(int id, const char* key) {
    auto* button = DlgItem<CTButtonPicture>(this, id);
    if (!button)
        return nullptr;
    if (const std::string& picture = Skin().paths.btnSearch; !picture.empty()) {
        const QString path = QString::fromStdString(picture);
        button->SetImages(path, path, path, path);
    }
    ApplyButtonStyle(*button, PageText(key));
    return button;
}

}  // namespace cpe
