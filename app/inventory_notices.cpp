#include "app/inventory_notices.h"

#include "inventory/inventory.h"
#include "lang/language.h"
#include "ui/message_box.h"

#include <QMessageBox>

namespace cpe {

QString InventoryNoticeText(const inventory::InventoryNotice& notice) {
    using Kind = inventory::InventoryNotice::Kind;
    const char* key = notice.kind == Kind::kDamagedMovedAside ? kInventoryDamagedKey
                      : notice.kind == Kind::kNewerMovedAside ? kInventoryNewerKey
                                                              : kInventoryUnavailableKey;
    QString text = QString::fromStdString(TranslateString(key));
    const qsizetype at = text.indexOf(QStringLiteral("%s"));
    if (at >= 0)
        text.replace(at, 2, QString::fromStdString(notice.detail));
    return text;
}

InventoryNotices::InventoryNotices(std::shared_ptr<inventory::Inventory> inventory, QWidget* parent)
    : m_inventory(std::move(inventory)), m_parent(parent) {
    connect(&m_timer, &QTimer::timeout, this, &InventoryNotices::ShowWaiting);
    m_timer.start(kPollMs);
}

void InventoryNotices::ShowWaiting() {
    if (!m_inventory)
        return;
    for (const inventory::InventoryNotice& notice : m_inventory->TakeNotices()) {
        // Never modal: the program goes on whatever the inventory's fate.
        QMessageBox* box = MakeMessageBox(m_parent, InventoryNoticeText(notice), MessageIcon::kExclamation);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->setObjectName(QStringLiteral("inventoryNotice"));
        box->show();
    }
}

}  // namespace cpe
