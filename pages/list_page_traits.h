// How the device list pages differ: their grid, columns and widths, which header cells sort and
// through which sort table, check boxes, how the status is shown, the icon strip, whether the
// list is topped up with devices that answered a search but sent no record yet, and the column
// of the first sort. The Inventory page describes its list the same way.
#pragma once

#include <vector>

#include "pages/device_cells.h"

namespace cpe {

enum class IconStrip { kNone, kWeb, kBridge, kWrite, kInventory };

struct ListColumnDef {
    ListColumn kind;
    const char* header;  // translation key; empty for the check-box column
    int width;           // pixels
    bool sorts;          // a click on its header re-sorts the list
};

struct ListPageTraits {
    int dialogId;
    int gridId;
    int actionId;  // the page's own action button (0: none)
    std::vector<ListColumnDef> columns;
    std::vector<int> sortTable;  // sort codes of the store, from the "Location" column on
    IconStrip icons;
    bool statusIcon;                           // the Serial cell shows the status image
    bool topUp;                                // free rows of the last page show discovered-only devices
    ListColumn initialSort = ListColumn::kIp;  // the column the first list is sorted by, descending

    int ColumnCount() const { return static_cast<int>(columns.size()); }
    // Grid column of the first column of that kind, or -1.
    int ColumnOf(ListColumn kind) const;
    bool HasCheckBoxes() const { return ColumnOf(ListColumn::kCheck) == 0; }
    // The store's sort code for a grid column: the page's table looked up by the column's distance
    // from "Location"; a column outside the table sorts by IP number.
    int SortCode(int column) const;
    bool HeaderSorts(int column) const;
};

// The description of list page `dialogId` (133..138), or null.
const ListPageTraits* FindListPageTraits(int dialogId);

}  // namespace cpe
