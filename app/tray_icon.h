// The notification-area icon of the main window with its menu ("Show Utility", "Exit"). Where
// the desktop has no notification area the icon is simply absent; the menu still exists.
#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class QAction;
class QMenu;

namespace cpe {

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int kShowUtilityId = 32781;
    static constexpr int kExitId = 32782;
    // The longest tip kept; longer translations are cut.
    static constexpr int kTipChars = 127;

    CTrayIcon(const QIcon& icon, QObject* parent);
    ~CTrayIcon() override;

    // Puts the icon into the notification area when there is one; false otherwise.
    bool Add();

    QMenu* Menu() const { return m_menu.get(); }
    QAction* ShowAction() const { return m_show; }
    QAction* ExitAction() const { return m_exit; }
    QString Tip() const { return m_tip; }

    static QString TipText(const QString& translated) { return translated.left(kTipChars); }

signals:
    // Show the main window; `toFront` also brings it to the foreground.
    void ShowRequested(bool toFront);
    void ExitRequested();

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QMenu> m_menu;
    QAction* m_show;
    QAction* m_exit;
    QString m_tip;
    QSystemTrayIcon* m_icon = nullptr;
    QIcon m_iconImage;
};

}  // namespace cpe
