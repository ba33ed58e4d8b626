// The main window: a borderless, rounded, skinned window with the banner and its three title
// buttons (help, minimise, close), the menu panel on the left and the page host on the right, both
// 86 pixels below the top. It owns the tray icon, the help menu and the About box. Minimising
// hides it to the tray; closing it ends the program. Its template size is its smallest: it grows
// by its edges and maximises by a double click on the banner, and remembers its size and
// maximised state for the next run.
#pragma once

#include "app/child_dlg.h"
#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

#include <QIcon>
#include <QPixmap>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>

class QMenu;

namespace cpe {

class CMenuDlg;
class CTButtonPicture;
class CTrayIcon;
class WindowEdges;

class CApplicationDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kApplicationDlg;
    static constexpr int kHelpButtonId = ids::application::kHelpButton;
    static constexpr int kMinButtonId = ids::application::kMinButton;
    static constexpr int kCloseButtonId = ids::application::kCloseButton;
    static constexpr int kPanelTop = 86;
    static constexpr int kCornerRadius = 10;
    // The window menu's size item, as the window stands.
    static constexpr const char* kMaximizeKey = "Maximize";
    static constexpr const char* kRestoreSizeKey = "Restore Down";

    struct Options {
        // Null: the real pages.
        CChildDlg::PageFactory pageFactory;
        // Unset: ask the desktop whether it has a notification area.
        std::optional<bool> trayAvailable;
        // Where the window's size and maximised state are remembered; empty: nowhere.
        std::filesystem::path placementFile;
    };

    explicit CApplicationDlg(PageServices services, Options options = {});
    ~CApplicationDlg() override;

    // Shows the window and runs until it is closed (OnOK, the close button, the tray's "Exit", a
    // window-manager close). Hiding it to the tray does not end the run.
    int RunModal();
    // Closes the window and so ends the program.
    void OnOK();
    // The minimise button: hides the window to the tray, or minimises it where there is no tray
    // (it could not be brought back otherwise).
    void OnMinimize();
    // Shows the window again; `toFront` also raises and activates it.
    void ShowFromTray(bool toFront);
    // Maximises the window, or gives a maximised one back its own size.
    void ToggleMaximized();
    // Whether the run starts maximised (the remembered state).
    bool StartsMaximized() const { return m_bStartMaximized; }

    // The help menu as the help button opens it (the caller owns it).
    std::unique_ptr<QMenu> MakeHelpMenu();
    // The window's own menu (right click on the banner): maximise or restore, and the About item.
    std::unique_ptr<QMenu> MakeSystemMenu();
    void ShowAbout();

    CTButtonPicture* TitleButton(int id) const;
    CTrayIcon* Tray() const { return m_pTray; }
    bool TrayAvailable() const { return m_bTrayAvailable; }
    const QIcon& Icon() const { return m_icon; }

    CMenuDlg* m_pMenuDlg = nullptr;
    CChildDlg* m_pChildDlg = nullptr;

    void done(int result) override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The banner keeps its height and its two ends whatever the width; below it, the fill.
    void PaintBackground(QPainter& p) override;

private:
    void InitTitleButtons();
    void InitTray();
    void CentreOnScreen();
    void CreatePanels(PageServices services, const CChildDlg::PageFactory& factory);
    void LayoutPanels();
    void RestorePlacement();
    void ShowHelpMenu();

    QIcon m_icon;
    std::filesystem::path m_placementFile;
    bool m_bStartMaximized = false;
    WindowEdges* m_pEdges = nullptr;
    std::array<QPixmap, 4> m_helpPictures;
    CTrayIcon* m_pTray = nullptr;
    bool m_bTrayAvailable = false;
};

}  // namespace cpe
