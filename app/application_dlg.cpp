#include "app/application_dlg.h"

#include "app/about_dlg.h"
#include "app/help_menu.h"
#include "app/menu_dlg.h"
#include "app/tray_icon.h"
#include "lang/language.h"
#include "ui/ct_button_picture.h"
#include "ui/dialog_template.h"
#include "ui/translate_window.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QEventLoop>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <algorithm>

namespace cpe {
namespace {

QString Path(const std::string& p) { return QString::fromStdString(p); }
QString Tr(const char* key) { return QString::fromStdString(TranslateString(key)); }

QIcon LoadIcon(const std::string& path) {
    QIcon icon(Path(path));
    if (icon.availableSizes().isEmpty() && icon.pixmap(32).isNull())
        return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    return icon;
}

}  // namespace

CApplicationDlg::CApplicationDlg(PageServices services, Options options)
    : CTDialog(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint),
      m_icon(LoadIcon(Skin().paths.applicationIcon)),
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
    CentreOnScreen();
    CreatePanels(services, options.pageFactory);
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
    // dialog units; grow the window so the bottom of the pages is not cut off.
    const int needed = kPanelTop + std::max(m_pMenuDlg->height(), m_pChildDlg->height());
    if (needed > height())
        setFixedSize(width(), needed);
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
