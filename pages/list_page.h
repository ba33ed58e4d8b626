// The list mechanics every device list page shares: a paged, sortable, searchable table of the
// devices in the store, an online count, a page-size list, a pager and a refresh button. Every
// reload goes through RefreshPage. Pages add their own clicks and actions on top; a page that
// lists something else than the store's devices (the Inventory page) reads its own rows.
#pragma once

#include <QString>
#include <vector>

#include "pages/list_page_traits.h"
#include "pages/page_host.h"
#include "protocol/records.h"
#include "ui/grid/grid_cell.h"
#include "ui/grid/image_list.h"

class QComboBox;

namespace cpe {

class CGridCtrl;
class CTButtonPicture;
class CTEdit;
class CTMultiPages;
class CTStatic;
class GridNotifyEvent;

class CListPageDlg : public CPageDlg {
    Q_OBJECT
public:
    CListPageDlg(const ListPageTraits& traits, QWidget* parent, PageHostLink& host, PageServices services);

    void RefreshList() override;
    void OnPagerSelect(int page) override;
    // Loads list page `page` of the store's devices in the given order and filter and shows it.
    void RefreshPage(int page, bool ascending, int sortColumn, const QString& searchText);

    const ListPageTraits& Traits() const { return m_traits; }
    CGridCtrl* Grid() const { return m_pGrid; }
    CTMultiPages* Pager() const { return m_pPager; }
    QComboBox* PageSizeList() const { return m_pPageSize; }
    CTEdit* SearchEdit() const { return m_pSearchEdit; }
    CTStatic* OnlineLabel() const { return m_pOnlineLabel; }
    CTButtonPicture* RefreshButton() const { return m_pRefresh; }

    int CurrentPage() const { return m_nCurPage; }
    int PageCount() const { return m_nPageCount; }
    int SortColumn() const { return m_nSortColumn; }
    // The order asked for is ascending exactly when the direction flag is 0.
    bool DirectionFlag() const { return m_bDirection; }
    bool CurrentAscending() const { return !m_bDirection; }
    const QString& SearchText() const { return m_strSearch; }
    // The count the label shows: devices online, or on the Inventory page those listed.
    int OnlineCount() const { return m_nOnlineCount; }
    int PageSize() const;
    // Data rows filled from the store, and the discovered-only rows after them.
    int StoreRowCount() const { return m_nStoreRows; }
    int ToppedUpRowCount() const { return m_nToppedRows; }
    // Whether a data row shows a device that answered a search but sent no record yet.
    bool IsToppedUpRow(int row) const;

    static constexpr int kDiscoveredStatus = 10;
    static constexpr unsigned kCellFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

protected:
    // What one read of the list gave: its page count and the count the label shows.
    struct LoadedPage {
        int pageCount = 0;
        int count = 0;
    };
    // Reads list page `page` in the given order and filter and fills the grid's data rows with it.
    // The device lists read the store and top their last page up with devices only seen so far.
    virtual LoadedPage LoadPage(int page, int pageSize, bool ascending, int sortColumn, const QString& searchText);
    // Puts the count LoadPage gave on the count label.
    virtual void ShowCount(int count);
    // Empties the grid down to its header and gives it `dataRows` rows, unchecked, with drawing
    // held until the caller's grid->SetRedraw(true).
    void ResetRows(int dataRows);

    bool event(QEvent* e) override;
    // A grid notification; the base sorts on header clicks and passes data-cell clicks on.
    virtual void OnGridNotify(GridNotifyEvent& e);
    virtual void OnDataCellClick(int row, int col) {
        (void)row;
        (void)col;
    }
    void OnHeaderClick(int col);

    void SetSearchText(const QString& text) { m_strSearch = text; }
    // Enables or disables the search edit, the grid and the page-size list.
    void EnableListControls(bool enable);
    // The text of a data cell in the ANSI code set.
    std::string CellAnsi(int row, ListColumn column) const;
    // The page's own button (Search, Reboot, ...) in the list pages' button picture and style,
    // with the translated text of `key`.
    CTButtonPicture* SetUpActionButton(int id, const char* key);

private:
    void InitControls();
    void InitGrid();
    void FillGrid(const std::vector<ap_info_stu>& stored, const std::vector<ap_info_stu>& discovered, int page,
                  int pageSize);
    void FillRow(int row, int serial, const ap_info_stu& record, bool discovered);

    const ListPageTraits& m_traits;
    CGridCtrl* m_pGrid = nullptr;
    CTMultiPages* m_pPager = nullptr;
    QComboBox* m_pPageSize = nullptr;
    CTEdit* m_pSearchEdit = nullptr;
    CTStatic* m_pOnlineLabel = nullptr;
    CTButtonPicture* m_pRefresh = nullptr;
    CImageList m_images;

    int m_nCurPage = 1;
    int m_nPageCount = 0;
    int m_nSortColumn;
    bool m_bDirection = true;
    QString m_strSearch;
    int m_nOnlineCount = 0;
    int m_nStoreRows = 0;
    int m_nToppedRows = 0;
};

}  // namespace cpe
