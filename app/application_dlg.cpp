#include "app/application_dlg.h"

#include "app/about_dlg.h"
#include "app/help_menu.h"
#include "app/menu_dlg.h"
#include "app/tray_icon.h"
#include "app/window_placement.h"
#include "lang/language.h"
#include "ui/ct_button_picture.h"
#include "ui/dialog_template.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"
#include "ui/window_edges.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QEventLoop>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <algorithm>

namespace cpe {
namespace {

QString Path(const std::string& p) { return QString::fromStdString(p); }
QString Tr(const char* key) { return QString::fromStdString(TranslateString(key)); }

// The banner picture's columns left of this one (logo and title) and right of it (the arcs behind
// the title buttons) keep their place at the window's two ends; a wider window repeats the plain
// gradient of column kBannerPlainColumn between them.
constexpr int kBannerSplit = 322;
constexpr int kBannerPlainColumn = 2;

QIcon LoadIcon(const std::string& path) {
    QIcon icon(Path(path));
    if (icon.availableSizes().isEmpty() && icon.pixmap(32).isNull())
        return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    return icon;
}

}  // namespace

CApplicationDlg::CApplicationDlg(PageServices services, Options options)
    : CTDialog(nullptr,
               Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
      m_icon(LoadIcon(Skin().paths.applicationIcon)),
      m_placementFile(std::move(options.placementFile)),
      m_bTrayAvailable(options.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable())) {
    BuildDialog(this, kDialogId);
    setWindowIcon(m_icon);
    TranslateWindow(this);

    const SkinSettings& skin = Skin();
    m_crFill = skin.childBkColor;
    m_bFill = true;
    SetBkImage(Path(skin.paths.mainBk));
    m_bDrag = true;
    m_nRadius = kCornerRadius;

    InitTitleButtons();
    const std::array<std::string, 4> help = {skin.paths.helpProduct, skin.paths.helpSupport, skin.paths.helpContact,
                                             skin.paths.helpHelp};
    for (std::size_t i = 0; i < help.size(); ++i)
        m_helpPictures[i].load(Path(help[i]));
    InitTray();
    CreatePanels(services, options.pageFactory);
    m_pEdges = new WindowEdges(this);
    RestorePlacement();
    CentreOnScreen();
}

CApplicationDlg::~CApplicationDlg() {
    delete m_pChildDlg;
    m_pChildDlg = nullptr;
    delete m_pMenuDlg;
    m_pMenuDlg = nullptr;
}

void CApplicationDlg::InitTitleButtons() {
    struct Title {
        int id;
        const char* tipKey;
        const std::string& picture;
    };
    const SkinPaths& p = Skin().paths;
    const Title titles[] = {{kMinButtonId, "Min", p.minNormal},
                            {kCloseButtonId, "Close", p.closeNormal},
                            {kHelpButtonId, "Info", p.helpNormal}};
    for (const Title& t : titles) {
        CTButtonPicture* b = TitleButton(t.id);
        b->setToolTip(Tr(t.tipKey));
        b->SetImages(Path(t.picture), Path(t.picture), Path(t.picture), Path(t.picture));
    }
    connect(TitleButton(kMinButtonId), &CTButtonPicture::clicked, this, &CApplicationDlg::OnMinimize);
    connect(TitleButton(kCloseButtonId), &CTButtonPicture::clicked, this, &CApplicationDlg::OnOK);
    connect(TitleButton(kHelpButtonId), &CTButtonPicture::clicked, this, &CApplicationDlg::ShowHelpMenu);
}

void CApplicationDlg::InitTray() {
    m_pTray = new CTrayIcon(m_icon, this);
    connect(m_pTray, &CTrayIcon::ShowRequested, this, &CApplicationDlg::ShowFromTray);
    connect(m_pTray, &CTrayIcon::ExitRequested, this, &CApplicationDlg::OnOK);
    if (m_bTrayAvailable)
        m_pTray->Add();  // a refusal of the desktop is ignored
}

void CApplicationDlg::CentreOnScreen() {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CApplicationDlg::CreatePanels(PageServices services, const CChildDlg::PageFactory& factory) {
    if (!m_pMenuDlg) {
        m_pMenuDlg = new CMenuDlg(this, [this] { return m_pChildDlg; });
        m_pMenuDlg->move(0, kPanelTop);
        m_pMenuDlg->show();
    }
    if (!m_pChildDlg) {
        m_pChildDlg = new CChildDlg(m_pMenuDlg, services, this, factory);
        m_pChildDlg->move(m_pMenuDlg->width(), kPanelTop);
        m_pChildDlg->show();
    }
    // The panels start below the banner at a fixed pixel offset, while their heights come from
    // dialog units; the window's smallest size keeps the bottom of the pages whole.
    const int needed = kPanelTop + std::max(m_pMenuDlg->height(), m_pChildDlg->height());
    if (needed > minimumHeight())
        setMinimumHeight(needed);
    resize(minimumSize());
    LayoutPanels();
}

void CApplicationDlg::LayoutPanels() {
    const int below = height() - kPanelTop;
    if (m_pMenuDlg)
        m_pMenuDlg->setGeometry(0, kPanelTop, m_pMenuDlg->width(), below);
    if (m_pChildDlg && m_pMenuDlg)
        m_pChildDlg->setGeometry(m_pMenuDlg->width(), kPanelTop, width() - m_pMenuDlg->width(), below);
}

void CApplicationDlg::RestorePlacement() {
    if (m_placementFile.empty())
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize();
    const WindowPlacement start = StartPlacement(LoadWindowPlacement(m_placementFile), minimumSize(), available);
    resize(start.size);
    m_bStartMaximized = start.maximized;
}

void CApplicationDlg::done(int result) {
    if (!m_placementFile.empty()) {
        const bool maximized = isMaximized();
        const QSize normal = maximized ? normalGeometry().size() : size();
        SaveWindowPlacement(m_placementFile, {normal.isValid() ? normal : size(), maximized});
    }
    CTDialog::done(result);
}

void CApplicationDlg::resizeEvent(QResizeEvent* event) {
    CTDialog::resizeEvent(event);
    LayoutPanels();
}

void CApplicationDlg::PaintBackground(QPainter& p) {
    p.fillRect(rect(), ToQColor(m_crFill));
    const QPixmap& picture = BkImage();
    if (picture.isNull())
        return;
    const int bannerHeight = std::min(kPanelTop, picture.height());
    const int split = std::min(kBannerSplit, picture.width());
    const int rightPart = picture.width() - split;
    const int rightStart = std::max(split, width() - rightPart);
    p.drawPixmap(QRect(0, 0, split, bannerHeight), picture, QRect(0, 0, split, bannerHeight));
    if (rightStart > split)
        p.drawPixmap(QRect(split, 0, rightStart - split, bannerHeight), picture,
                     QRect(kBannerPlainColumn, 0, 1, bannerHeight));
    p.drawPixmap(QRect(rightStart, 0, rightPart, bannerHeight), picture, QRect(split, 0, rightPart, bannerHeight));
}

void CApplicationDlg::ToggleMaximized() {
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void CApplicationDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && event->position().y() < kPanelTop) {
        ToggleMaximized();
        event->accept();
        return;
    }
    CTDialog::mouseDoubleClickEvent(event);
}

CTButtonPicture* CApplicationDlg::TitleButton(int id) const { return DlgItem<CTButtonPicture>(this, id); }

int CApplicationDlg::RunModal() {
    setResult(0);
    QEventLoop loop;
    bool finished = false;
    const auto connection = connect(this, &QDialog::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    if (m_bStartMaximized)
        showMaximized();
    else
        show();
    if (!finished)
        loop.exec();
    disconnect(connection);
    return result();
}

void CApplicationDlg::OnOK() { done(Accepted); }

void CApplicationDlg::OnMinimize() {
    if (m_bTrayAvailable)
        hide();
    else
        showMinimized();
}

void CApplicationDlg::ShowFromTray(bool toFront) {
    if (isMinimized())
        showNormal();
    else
        show();
    if (toFront) {
        raise();
        activateWindow();
    }
}

std::unique_ptr<QMenu> CApplicationDlg::MakeHelpMenu() { return BuildHelpMenu(this, m_helpPictures); }

void CApplicationDlg::ShowHelpMenu() {
    auto menu = MakeHelpMenu();
    raise();
    activateWindow();
    menu->exec(QCursor::pos() + QPoint(kHelpMenuOffsetX, kHelpMenuOffsetY));
}

std::unique_ptr<QMenu> CApplicationDlg::MakeSystemMenu() {
    auto menu = std::make_unique<QMenu>(this);
    QAction* size = menu->addAction(Tr(isMaximized() ? kRestoreSizeKey : kMaximizeKey));
    connect(size, &QAction::triggered, this, &CApplicationDlg::ToggleMaximized);
    menu->addSeparator();
    QAction* about = menu->addAction(QString::fromUtf8(CAboutDlg::kMenuText));
    connect(about, &QAction::triggered, this, &CApplicationDlg::ShowAbout);
    return menu;
}

void CApplicationDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (event->pos().y() >= kPanelTop) {
        event->ignore();
        return;
    }
    auto menu = MakeSystemMenu();
    menu->exec(event->globalPos());
    event->accept();
}

void CApplicationDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

}  // namespace cpe
