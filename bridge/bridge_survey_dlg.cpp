#include "bridge/bridge_survey_dlg.h"

#include "bridge/bridge_wizard_host.h"
#include "engine/net_management.h"
#include "store/sql_management.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/page_text.h"
#include "ui/skin_qt.h"

#include <QImage>
#include <QPainter>

namespace cpe {
namespace {

constexpr unsigned kCellFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
constexpr QSize kSignalImageSize(30, 16);

struct ColumnDef {
    const char* header;
    int width;
};
constexpr ColumnDef kColumns[CBridgeSearcgAPDlg::kColumnCount] = {
    {"Select", 50}, {"SingleName", 160}, {"Channel", 70}, {"MAC", 120}, {"Secure", 120}, {"SingleStrength", 60},
};

// The six signal pictures side by side, one 30 x 16 slot each, white where a picture is narrower.
CImageList SignalImages() {
    const SkinPaths& paths = Skin().paths;
    const int count = static_cast<int>(std::size(paths.signalStrength));
    QImage strip(kSignalImageSize.width() * count, kSignalImageSize.height(), QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    for (int i = 0; i < count; ++i) {
        if (paths.signalStrength[i].empty())
            continue;
        const QImage picture(QString::fromStdString(paths.signalStrength[i]));
        if (!picture.isNull())
            painter.drawImage(QPoint(i * kSignalImageSize.width(), 0), picture);
    }
    painter.end();
    return CImageList::FromStrip(strip, kSignalImageSize);
}

}  // namespace

CBridgeSearcgAPDlg::CBridgeSearcgAPDlg(BridgeWizardHost& host, PageServices services,
                                       const actions::BridgeTimings& timings, QWidget* parent)
    : CBridgeStepDlg(kDialogId, parent), m_host(host), m_services(services), m_wait(host.Target().model, timings) {

    const SkinPaths& paths = Skin().paths;
    m_pGrid = DlgItem<CGridCtrl>(this, ids::bridge_survey::kGrid);
    m_pRefresh = DlgItem<CTButtonPicture>(this, ids::bridge_survey::kRefreshButton);
    m_pBusy = DlgItem<CTPicture>(this, ids::bridge_survey::kBusyPicture);
    m_pScanning = DlgItem<CTStatic>(this, ids::bridge_survey::kScanningLabel);
    for (int id : {ids::bridge_survey::kCaption, ids::bridge_survey::kScanningLabel})
        ApplyLabelStyle(*DlgItem<CTStatic>(this, id));
    SetButtonPicture(*m_pRefresh, paths.btnUpdateNormal, paths.btnUpdateDown);
    connect(m_pRefresh, &QAbstractButton::clicked, this, &CBridgeSearcgAPDlg::Scan);
    if (!paths.waitSearch.empty())
        m_pBusy->LoadFile(QString::fromStdString(paths.waitSearch));

    InitGrid();
    m_timer.setInterval(static_cast<int>(m_wait.Period().count()));
    connect(&m_timer, &QTimer::timeout, this, &CBridgeSearcgAPDlg::OnTick);
}

void CBridgeSearcgAPDlg::InitGrid() {
    CGridCtrl& grid = *m_pGrid;
    ApplyListGridStyle(grid);
    grid.EnableSelection(false);
    grid.SetRowCount(1);
    grid.SetColumnCount(kColumnCount);
    grid.SetFixedRowCount(1);
    for (int c = 0; c < kColumnCount; ++c)
        SetTitleCell(grid, c, kColumns[c].width, PageText(kColumns[c].header));
    grid.AddHandColumn(kSelect);
    m_signals = SignalImages();
    grid.SetImageList(&m_signals);
}

void CBridgeSearcgAPDlg::Scan() {
    m_pGrid->DeleteNonFixedRows();
    m_pGrid->viewport()->update();
    ShowScanning(true);
    emit ScanStarted();
    m_services.store.ClearSurvey();
    m_host.RequestSurvey();
    m_wait.Restart();
    m_timer.start();
}

void CBridgeSearcgAPDlg::StopScan() {
    m_timer.stop();
    ShowScanning(false);
}

void CBridgeSearcgAPDlg::ShowScanning(bool scanning) {
    m_pBusy->setVisible(scanning);
    if (scanning)
        m_pBusy->DrawPicture();
    else
        m_pBusy->StopAnimation();
    m_pScanning->setVisible(scanning);
    m_pRefresh->setVisible(!scanning);
}

void CBridgeSearcgAPDlg::OnTick() {
    if (!m_wait.Tick(m_services.engine.SurveyComplete()))
        return;
    StopScan();
    FillGrid();
    emit ScanFinished();
}

void CBridgeSearcgAPDlg::FillGrid() {
    std::vector<config_otherwl_basic> entries;
    m_services.store.GetSurveyList(entries);
    CGridCtrl& grid = *m_pGrid;
    grid.SetRedraw(false);
    grid.DeleteNonFixedRows();
    grid.SetRowCount(1 + static_cast<int>(entries.size()));
    int row = 1;
    for (const config_otherwl_basic& entry : entries) {
        const actions::SurveyRow cells = actions::SurveyRowOf(entry);
        SetDataCell(grid, row, kSelect, QString(), kCellFormat);
        grid.SetCheckCell(row);
        SetDataCell(grid, row, kSsid, QString::fromStdString(cells.ssid), kCellFormat);
        SetDataCell(grid, row, kChannel, QString::fromStdString(cells.channel), kCellFormat);
        SetDataCell(grid, row, kMac, QString::fromStdString(cells.mac), kCellFormat);
        SetDataCell(grid, row, kSecure, QString::fromUtf8(cells.secure.data(), cells.secure.size()), kCellFormat);
        SetDataCell(grid, row, kSignal, QString(), kCellFormat);
        grid.SetItemImage(row, kSignal, cells.signalImage);
        ++row;
    }
    grid.SetRedraw(true);
}

std::string CBridgeSearcgAPDlg::CheckedMac() const {
    for (int row = 1; row < m_pGrid->GetRowCount(); ++row)
        if (const CGridCellCheck* check = m_pGrid->GetCheckCell(row); check && check->GetCheck())
            return m_pGrid->GetItemText(row, kMac).toStdString();
    return {};
}

bool CBridgeSearcgAPDlg::event(QEvent* e) {
    if (e->type() == GridNotifyEvent::EventType()) {
        OnGridNotify(*static_cast<GridNotifyEvent*>(e));
        return true;
    }
    return CBridgeStepDlg::event(e);
}

void CBridgeSearcgAPDlg::OnGridNotify(const GridNotifyEvent& e) {
    const GridNotify& n = e.Notify();
    if (n.code != NM_CLICK || n.iColumn != kSelect || n.iRow < 1 || n.iRow >= m_pGrid->GetRowCount())
        return;
    for (int row = 1; row < m_pGrid->GetRowCount(); ++row) {
        CGridCellCheck* check = m_pGrid->GetCheckCell(row);
        if (!check)
            continue;
        check->SetCheck(row == n.iRow && !check->GetCheck());
    }
    m_pGrid->viewport()->update();
    const CGridCellCheck* clicked = m_pGrid->GetCheckCell(n.iRow);
    emit ChoiceChanged(clicked && clicked->GetCheck());
}

}  // namespace cpe
