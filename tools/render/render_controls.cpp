// Renders the skinned controls, the list pages and a composed main window offscreen to PNG files
// so the look can be judged without a display.
//
//   cpe_render_controls <resources folder> <output folder>
#include "lang/language.h"
#include "tools/render/render_setup.h"
#include "tools/render/render_shot.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_dialog.h"
#include "ui/ct_edit.h"
#include "ui/ct_multi_pages.h"
#include "ui/ct_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/grid/image_list.h"
#include "ui/scroll_bitmap_wnd.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>

#include <cstdio>
#include <memory>

namespace {

using namespace cpe;

QString g_out;
SkinSettings g_skin;

void Shot(QWidget& w, const QString& name) { render::SaveShot(w, g_out, name); }

QString P(const std::string& s) { return QString::fromStdString(s); }
QString T(const char* key) { return QString::fromStdString(TranslateString(key)); }

struct Device {
    const char* name;
    const char* type;
    int ip;
    int mode;
    const char* ssid;
    int channel;
    int status;
};

const Device kDevices[] = {
    {"Tower-North", "Axel", 21, 1, "Backhaul-5G", 149, 1},
    {"Farm-East", "Brio", 22, 2, "Backhaul-5G", 149, 2},
    {"Silo-3", "Cove", 23, 2, "Backhaul-5G", 0, 3},
    {"Warehouse", "Dorn", 24, 4, "Yard-WiFi", 6, 4},
    {"Office roof", "Axel2", 25, 1, "Office-Link", 36, 5},
    {"Gate camera", "Ember", 26, 2, "Office-Link", 36, 6},
    {"Pump house", "Fjord", 27, 5, "Field-P2MP", 44, 7},
    {"Barn", "Grove", 28, 2, "Field-P2MP", 44, 8},
    {"Water tank", "Haven", 29, 3, "Field-P2MP", 44, 9},
    {"A very long location name that is clipped", "Islet", 30, 7, "Guest", 11, 1},
};
const char* kModes[] = {"", "AP", "Station", "Universal Repeater", "Repeater", "P2MP", "WISP", "Router"};

void SetupListGrid(CGridCtrl& grid, bool checks, const CImageList* icons) {
    ApplyListGridStyle(grid);
    grid.SetImageList(icons);
    grid.SetColumnCount(checks ? 11 : 11);
    grid.SetFixedRowCount(1);
    struct Col {
        const char* key;
        int width;
    };
    const Col status[] = {{"Serial", 40},  {"Location", 90},      {"Type", 50},   {"IP", 102},
                          {"MAC", 112},    {"OperationMode", 66}, {"SSID", 90},   {"Channel", 60},
                          {"Version", 60}, {"Time", 70},          {"Operate", 70}};
    const Col reboot[] = {{"", 30},        {"Serial", 40},     {"Location", 90},      {"Type", 50},
                          {"IP", 102},     {"MAC", 112},       {"OperationMode", 66}, {"SSID", 100},
                          {"Channel", 60}, {"SecureMode", 80}, {"Status", 80}};
    const Col* cols = checks ? reboot : status;
    for (int c = 0; c < 11; ++c)
        SetTitleCell(grid, c, cols[c].width, *cols[c].key ? T(cols[c].key) : QString());
    if (checks)
        grid.SetCheckCell(0);
    const unsigned fmt = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    grid.SetRowCount(1 + 10);
    for (int r = 1; r <= 10; ++r) {
        const Device& d = kDevices[r - 1];
        const QString row[] = {QString::number(r),
                               QString::fromUtf8(d.name),
                               QString::fromUtf8(d.type),
                               QStringLiteral("192.168.1.%1").arg(d.ip),
                               QStringLiteral("00:1a:2b:3c:4d:%1").arg(d.ip, 2, 16, QLatin1Char('0')),
                               T(kModes[d.mode]),
                               QString::fromUtf8(d.ssid),
                               d.channel ? QString::number(d.channel) : T("Auto"),
                               QStringLiteral("2.1.%1").arg(r),
                               QStringLiteral("%1:%2:%3").arg(r * 3).arg(r * 7 % 60).arg(r * 13 % 60),
                               QString()};
        if (checks) {
            const QString cells[] = {QString(),
                                     row[0],
                                     row[1],
                                     row[2],
                                     row[3],
                                     row[4],
                                     row[5],
                                     row[6],
                                     row[7],
                                     T("WPA2_PSK"),
                                     T(d.status == 1 ? "Online" : "Restarting")};
            for (int c = 0; c < 11; ++c)
                SetDataCell(grid, r, c, cells[c], fmt);
            SetOnlineCell(grid, r, 10, cells[10], fmt);
            grid.SetCheckCell(r);
            grid.GetCheckCell(r)->SetCheck(r % 3 == 1);
        } else {
            for (int c = 0; c < 11; ++c)
                (r == 10 ? SetOfflineCell : SetDataCell)(grid, r, c, row[c], fmt);
            grid.SetItemImage(r, 0, d.status);
            grid.SetItemImage(r, 10, 0);
        }
    }
    grid.AddHandColumn(checks ? 0 : 10);
}

void FillListPage(QWidget& page, int gridId, bool checks, const CImageList* icons) {
    for (int id : {1003, 1001, 1006})
        if (auto* b = DlgItem<CTButtonPicture>(&page, id)) {
            ApplyButtonStyle(*b, b->text());
            b->SetImages(P(g_skin.paths.btnSearch), P(g_skin.paths.btnSearch), P(g_skin.paths.btnSearch),
                         P(g_skin.paths.btnSearch));
        }
    if (auto* b = DlgItem<CTButtonPicture>(&page, 1074))
        b->SetImages(P(g_skin.paths.btnUpdateNormal), P(g_skin.paths.btnUpdateDown), P(g_skin.paths.btnUpdateDown),
                     P(g_skin.paths.btnUpdateNormal));
    for (int id : {1017, 1130, 1014})
        if (auto* l = DlgItem<CTStatic>(&page, id))
            ApplyLabelStyle(*l);
    if (auto* l = DlgItem<CTStatic>(&page, 1017)) {
        l->m_crText = g_skin.staticTextNumberColor;
        l->setText(T("Online device count:%d").replace(QStringLiteral("%d"), QStringLiteral("10")));
    }
    if (auto* pic = DlgItem<CTPicture>(&page, 1010)) {
        pic->LoadFile(P(g_skin.paths.btnPie));
        pic->DrawPicture();
    }
    if (auto* pic = DlgItem<CTPicture>(&page, 1011)) {
        pic->LoadFile(P(g_skin.paths.btnPie2));
        pic->DrawPicture();
    }
    if (auto* pic = DlgItem<CTPicture>(&page, 1012)) {
        pic->LoadFile(P(g_skin.paths.line));
        pic->DrawPicture();
    }
    if (auto* edit = DlgItem<CTEdit>(&page, 1009))
        edit->setText(QStringLiteral("192.168"));
    if (auto* combo = DlgItem<QComboBox>(&page, 1013)) {
        combo->addItems({QStringLiteral("15"), QStringLiteral("30"), QStringLiteral("50"), QStringLiteral("100")});
        combo->setCurrentIndex(1);
    }
    if (auto* pager = DlgItem<CTMultiPages>(&page, 1016)) {
        pager->ResetPager(nullptr, page.property(kCtrlIdProperty).toInt());
        pager->m_nTotalPage = 20;
        pager->m_nCurPage = 10;
    }
    if (auto* grid = DlgItem<CGridCtrl>(&page, gridId))
        SetupListGrid(*grid, checks, icons);
}

void RenderControls() {
    CTDialog host;
    host.m_bFill = true;
    host.resize(420, 60);
    auto* pager = new CTMultiPages(&host);
    pager->setGeometry(10, 10, 400, 40);
    pager->ResetPager(nullptr, 133);
    pager->m_nTotalPage = 20;
    pager->m_nCurPage = 10;
    Shot(host, QStringLiteral("pager_20_of_10"));
    pager->m_nTotalPage = 5;
    pager->m_nCurPage = 2;
    pager->m_bFrame = true;
    Shot(host, QStringLiteral("pager_5_framed"));

    CTDialog buttons;
    buttons.m_bFill = true;
    buttons.m_crFill = g_skin.childBkColor;
    buttons.resize(420, 60);
    const char* names[] = {"Search", "Reboot", "Restore"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new CTButtonPicture(&buttons);
        b->setGeometry(10 + i * 80, 10, 60, 29);
        ApplyButtonStyle(*b, T(names[i]));
        b->SetImages(P(g_skin.paths.btnSearch), P(g_skin.paths.btnSearch), P(g_skin.paths.btnSearch),
                     P(g_skin.paths.btnSearch));
        if (i == 1)
            b->m_bSelected = true;
        if (i == 2)
            b->setEnabled(false);
    }
    auto* edit = new CTEdit(&buttons);
    edit->setGeometry(260, 14, 140, 21);
    edit->setText(QStringLiteral("search text"));
    Shot(buttons, QStringLiteral("buttons_and_edit"));

    CTPicture busy;
    busy.resize(24, 24);
    busy.LoadFile(P(g_skin.paths.waitSearch));
    busy.DrawPicture();
    for (int i = 0; i < 3; ++i) {
        Shot(busy, QStringLiteral("busy_frame_%1").arg(busy.CurrentFrame()));
        busy.AdvanceFrame();
    }
    busy.StopAnimation();
}

void RenderMainWindow(const CImageList* icons) {
    CTDialog main;
    BuildDialog(&main, 102);
    main.m_bFill = true;
    main.m_crFill = g_skin.childBkColor;
    main.SetBkImage(P(g_skin.paths.mainBk));
    main.m_nRadius = 10;
    DlgItem<CTButtonPicture>(&main, 1002)
        ->SetImages(P(g_skin.paths.minNormal), P(g_skin.paths.minNormal), P(g_skin.paths.minNormal),
                    P(g_skin.paths.minNormal));
    DlgItem<CTButtonPicture>(&main, 1000)
        ->SetImages(P(g_skin.paths.closeNormal), P(g_skin.paths.closeNormal), P(g_skin.paths.closeNormal),
                    P(g_skin.paths.closeNormal));
    DlgItem<CTButtonPicture>(&main, 1001)
        ->SetImages(P(g_skin.paths.helpNormal), P(g_skin.paths.helpNormal), P(g_skin.paths.helpNormal),
                    P(g_skin.paths.helpNormal));

    auto* menu = new CTDialog(&main);
    BuildDialog(menu, 130);
    TranslateWindow(menu);
    menu->SetBkImage(P(g_skin.paths.mainLeftBk));
    menu->move(0, 86);
    menu->show();
    for (int id : {1004, 1007, 1003, 1009, 1006, 1005, 1010, 1001, 1008}) {
        auto* b = DlgItem<CTButtonPicture>(menu, id);
        ApplyMenuButtonStyle(*b, b->text());
        b->m_nMargin = 30;
        const bool search = id == 1004;
        const bool inventory = id == 1010;
        const QString n = P(search      ? g_skin.paths.menuSearchNormal
                            : inventory ? g_skin.paths.menuInventoryNormal
                                        : g_skin.paths.menuWirelessNormal);
        const QString d = P(search      ? g_skin.paths.menuSearchDown
                            : inventory ? g_skin.paths.menuInventoryDown
                                        : g_skin.paths.menuWirelessDown);
        b->SetImages(n, d, d, n);
        b->m_bSelected = search;
    }
    auto* version = DlgItem<CTStatic>(menu, 1024);
    ApplyLabelStyle(*version);
    version->m_crText = g_skin.staticTextNumberColor;
    version->setText(QStringLiteral("V0.20.5.10"));

    auto* pageHost = new CTDialog(&main);
    BuildDialog(pageHost, 129);
    pageHost->m_bFill = true;
    pageHost->m_crFill = g_skin.childBkColor;
    pageHost->move(menu->width(), 86);
    pageHost->show();
    auto* page = new CTDialog(pageHost);
    BuildDialog(page, 133);
    TranslateWindow(page);
    page->m_bFill = true;
    page->m_crFill = g_skin.childBkColor;
    FillListPage(*page, 1015, false, icons);
    page->show();
    Shot(main, QStringLiteral("main_window_status_page"));
}

void RenderPages(const CImageList* icons) {
    CTDialog reboot;
    BuildDialog(&reboot, 136);
    TranslateWindow(&reboot);
    reboot.m_bFill = true;
    reboot.m_crFill = g_skin.childBkColor;
    FillListPage(reboot, 1128, true, icons);
    auto* grid = DlgItem<CGridCtrl>(&reboot, 1128);
    grid->SetSortColumn(5);
    grid->SetSortAscending(true);
    Shot(reboot, QStringLiteral("page_reboot_checkboxes_sorted"));

    CTDialog status;
    BuildDialog(&status, 133);
    TranslateWindow(&status);
    status.m_bFill = true;
    FillListPage(status, 1015, false, icons);
    auto* g = DlgItem<CGridCtrl>(&status, 1015);
    g->SetSortColumn(3);
    g->SetSortAscending(false);
    status.resize(status.size());
    status.show();
    QApplication::processEvents();
    // Hover: write the highlight as a mouse move would.
    QMouseEvent move(QEvent::MouseMove, QPointF(g->CellRect(4, 2).center()),
                     g->viewport()->mapToGlobal(QPointF(g->CellRect(4, 2).center())), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(g->viewport(), &move);
    Shot(status, QStringLiteral("page_status_hover_row4_sort_ip_desc"));
    status.hide();

    CTDialog tool;
    BuildDialog(&tool, 155);
    TranslateWindow(&tool);
    tool.m_bFill = true;
    Shot(tool, QStringLiteral("page_system_tool_empty"));

    CScrollBitmapWnd help;
    help.resize(742, 560);
    help.LoadPicture(P(g_skin.paths.help));
    Shot(help, QStringLiteral("install_help"));
}

void SkinButton(QWidget& dlg, int id, const std::string& normal, const std::string& down) {
    if (auto* b = DlgItem<CTButtonPicture>(&dlg, id)) {
        ApplyButtonStyle(*b, b->text());
        b->SetImages(P(normal), P(down), P(down), P(normal));
    }
}

void RenderDialogs() {
    CTDialog wizard;
    BuildDialog(&wizard, 145);
    TranslateWindow(&wizard);
    wizard.m_bFill = true;
    SkinButton(wizard, 1003, g_skin.paths.closeConfig, g_skin.paths.closeConfig);
    SkinButton(wizard, 1001, g_skin.paths.btnConfig, g_skin.paths.btnConfig);
    SkinButton(wizard, 1074, g_skin.paths.configBtn, g_skin.paths.configBtn);
    ApplyLabelStyle(*DlgItem<CTStatic>(&wizard, 1139));
    auto* survey = new QWidget(&wizard);
    BuildDialog(survey, 149);
    TranslateWindow(survey);
    survey->move(0, 35);
    survey->show();
    ApplyLabelStyle(*DlgItem<CTStatic>(survey, 1073));
    SkinButton(*survey, 1003, g_skin.paths.btnUpdateNormal, g_skin.paths.btnUpdateDown);
    auto* grid = DlgItem<CGridCtrl>(survey, 1015);
    ApplyListGridStyle(*grid);
    grid->SetColumnCount(6);
    grid->SetFixedRowCount(1);
    const std::pair<const char*, int> cols[] = {{"Select", 40}, {"SingleName", 160}, {"Channel", 70},
                                                {"MAC", 120},   {"Secure", 120},     {"SingleStrength", 60}};
    for (int c = 0; c < 6; ++c)
        SetTitleCell(*grid, c, cols[c].second, T(cols[c].first));
    static CImageList bars;
    QImage strip(24 * 6, 16, QImage::Format_RGB32);
    {
        QPainter p(&strip);
        for (int i = 0; i < 6; ++i)
            p.drawImage(i * 24, 0, QImage(P(g_skin.paths.signalStrength[i])));
    }
    bars = CImageList::FromStrip(strip, QSize(24, 16));
    grid->SetImageList(&bars);
    const char* ssids[] = {"Backhaul-5G", "Field-P2MP", "Office-Link", "Neighbour"};
    grid->SetRowCount(5);
    for (int r = 1; r <= 4; ++r) {
        const unsigned fmt = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        SetDataCell(*grid, r, 0, QString(), fmt);
        SetDataCell(*grid, r, 1, QString::fromUtf8(ssids[r - 1]), fmt);
        SetDataCell(*grid, r, 2, QString::number(36 + 4 * r), fmt);
        SetDataCell(*grid, r, 3, QStringLiteral("00:1a:2b:00:00:%1").arg(r), fmt);
        SetDataCell(*grid, r, 4, QStringLiteral("WPA2-PSK/AES"), fmt);
        SetDataCell(*grid, r, 5, QString(), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        grid->SetItemImage(r, 5, 6 - r);
        grid->SetCheckCell(r);
    }
    grid->GetCheckCell(2)->SetCheck(true);
    Shot(wizard, QStringLiteral("dialog_bridge_wizard_survey"));
}

void MeasureGrid() {
    CGridCtrl grid;
    grid.resize(720, 500);
    ApplyListGridStyle(grid);
    grid.SetColumnCount(11);
    grid.SetFixedRowCount(1);
    for (int c = 0; c < 11; ++c)
        SetTitleCell(grid, c, 70, QStringLiteral("Col %1").arg(c));
    QImage img(grid.viewport()->size(), QImage::Format_RGB32);
    const int rounds = 20;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) {
        grid.DeleteNonFixedRows();
        grid.SetRowCount(101);
        for (int r = 1; r <= 100; ++r)
            for (int c = 0; c < 11; ++c)
                SetDataCell(grid, r, c, QStringLiteral("%1.%2").arg(r).arg(c), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        grid.viewport()->render(&img);
    }
    std::printf("grid: 100 rows x 11 columns filled and painted in %.2f ms (mean of %d)\n",
                t.nsecsElapsed() / 1e6 / rounds, rounds);
}

}  // namespace

int main(int argc, char** argv) {
    render::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    const auto args = render::ReadArguments(argc, argv);
    if (!args)
        return 2;
    g_out = args->out;
    render::InstallLanguageAndSkin(*args, g_skin);
    const CImageList icons = CImageList::FromFile(P(g_skin.paths.web), QSize(50, 16));

    RenderControls();
    RenderMainWindow(&icons);
    RenderPages(&icons);
    RenderDialogs();
    MeasureGrid();
    InstallSkin(nullptr);
    return 0;
}
