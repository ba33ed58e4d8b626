#include "pages/system_tool_dlg.h"

#include "engine/net_management.h"
#include "pages/device_cells.h"
#include "protocol/codes.h"
#include "ui/ct_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/page_text.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

#include <algorithm>
#include <cstring>

namespace cpe {
namespace {

constexpr unsigned kCellFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

struct AdapterColumn {
    const char* header;
    int width;
};
constexpr AdapterColumn kColumns[] = {{"ID", 40}, {"Description", 350}, {"MAC", 120}, {"IP", 300}};

// A text field of the record up to its first zero byte, never beyond the field.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return std::string_view(field, ::strnlen(field, N));
}

}  // namespace

CSystemToolDlg::CSystemToolDlg(QWidget* parent, PageHostLink& host, PageServices services)
    : CPageDlg(kDialogId, parent, host, services) {
    BuildDialog(this, kDialogId);
    TranslateWindow(this);
    m_pGrid = DlgItem<CGridCtrl>(this, ids::system_tool::kGrid);
    m_pCount = DlgItem<CTStatic>(this, ids::system_tool::kCount);
    for (int id : {ids::system_tool::kCount, ids::system_tool::kHint})
        if (auto* label = DlgItem<CTStatic>(this, id))
            ApplyLabelStyle(*label);
    const std::string& linePicture = Skin().paths.line;
    if (auto* line = DlgItem<CTPicture>(this, ids::system_tool::kSeparator);
        line && !linePicture.empty() && line->LoadFile(QString::fromStdString(linePicture)))
        line->DrawPicture();

    CGridCtrl& grid = *m_pGrid;
    ApplyListGridStyle(grid);
    grid.SetRowCount(1);
    grid.SetColumnCount(static_cast<int>(std::size(kColumns)));
    grid.SetFixedRowCount(1);
    for (int c = 0; c < grid.GetColumnCount(); ++c)
        SetTitleCell(grid, c, kColumns[c].width, PageText(kColumns[c].header));

    FillGrid();
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &CSystemToolDlg::FillGrid);
    m_refresh.start();
}

void CSystemToolDlg::FillGrid() {
    const std::vector<adapter_record> adapters = Services().engine.QueryAdapters();
    CGridCtrl& grid = *m_pGrid;
    grid.SetRedraw(false);
    grid.DeleteNonFixedRows();
    grid.SetRowCount(1 + static_cast<int>(adapters.size()));
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        const adapter_record& a = adapters[i];
        SetDataCell(grid, row, 0, QString::number(row), kCellFormat);
        SetDataCell(grid, row, 1, FromAnsi(FieldText(a.description)), kCellFormat);
        SetDataCell(grid, row, 2, MacText(a), kCellFormat);
        SetDataCell(grid, row, 3, AddressesText(a), kCellFormat);
    }
    grid.SetRedraw(true);
    m_pCount->setText(CountText("Adapter count:%d", static_cast<int>(adapters.size())));
    m_pCount->update();
}

QString CSystemToolDlg::AddressesText(const adapter_record& record) {
    const auto count = static_cast<std::size_t>(
        std::clamp<std::int32_t>(record.address_count.get(), 0, static_cast<std::int32_t>(kMaxAdapterAddresses)));
    QString text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            text += QStringLiteral("--");
        text += QString::fromLatin1(FieldText(record.addresses[i].ip));
    }
    return text;
}

QString CSystemToolDlg::MacText(const adapter_record& record) {
    RawMac mac;
    std::memcpy(mac.data(), record.hw_address, mac.size());
    return QString::fromStdString(FormatMac(mac));
}

}  // namespace cpe
