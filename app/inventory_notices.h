// Tells the operator what befell the fleet inventory (a damaged or newer file moved aside, a file
// that cannot be written), each notice once and in the program's language. The notices come from
// the inventory's writer thread at any time; a timer of the user-interface thread collects them
// and shows each in a box that does not stop the program.
#pragma once

#include "inventory/inventory_writer.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace cpe {

namespace inventory {
class Inventory;
}

inline constexpr const char* kInventoryDamagedKey =
    "The inventory was damaged and has been moved aside as %s. A new inventory was started.";
inline constexpr const char* kInventoryNewerKey = "The inventory was written by a newer version of this program and "
                                                  "has been moved aside as %s. A new inventory was started.";
inline constexpr const char* kInventoryUnavailableKey =
    "The inventory cannot be written (%s). The program goes on without it.";

// The translated sentence of a notice.
QString InventoryNoticeText(const inventory::InventoryNotice& notice);

class InventoryNotices : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 1000;
    InventoryNotices(std::shared_ptr<inventory::Inventory> inventory, QWidget* parent);
    // Shows what is waiting now (also run by the timer).
    void ShowWaiting();

private:
    std::shared_ptr<inventory::Inventory> m_inventory;
    QWidget* m_parent;
    QTimer m_timer;
};

}  // namespace cpe
