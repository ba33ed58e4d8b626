#include "app/tray_icon.h"

#include "lang/language.h"
#include "ui/translate_window.h"

#include <QMenu>

namespace cpe {

CTrayIcon::CTrayIcon(const QIcon& icon, QObject* parent)
    : QObject(parent),
      m_menu(std::make_unique<QMenu>()),
      m_tip(TipText(QString::fromStdString(TranslateString("CPEManagement")))),
      m_iconImage(icon) {
    m_show = m_menu->addAction(QStringLiteral("Show Utility"));
    m_show->setData(kShowUtilityId);
    m_exit = m_menu->addAction(QStringLiteral("Exit"));
    m_exit->setData(kExitId);
    TranslateMenu(m_menu.get());
    connect(m_show, &QAction::triggered, this, [this] { emit ShowRequested(false); });
    connect(m_exit, &QAction::triggered, this, &CTrayIcon::ExitRequested);
}

CTrayIcon::~CTrayIcon() {
    delete m_icon;  // before the menu it shows
}

bool CTrayIcon::Add() {
    if (m_icon)
        return true;
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    m_icon = new QSystemTrayIcon(m_iconImage, this);
    m_icon->setToolTip(m_tip);
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon, &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
    m_icon->show();
    return true;
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    // Some notification areas report only single clicks; both bring the window back in front.
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
        emit ShowRequested(true);
}

}  // namespace cpe
