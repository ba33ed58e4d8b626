// What a scrape shows: the devices the engine has identified, with the texts of their records.
// Reading 10,000 records from the store takes far longer than a scrape may, so the exporter's own
// thread reads them a page at a time (Refresh, once a second) into this cache, and a scrape joins
// the cache with the engine's online list, which says who is online, at which address, with which
// up time and when each was last heard from. A renamed device shows its new name within one round
// of pages (10 s with 10,000 devices).
//
// With the fleet inventory, a device it knows that is not online is shown too, down, with what its
// last record said and when it was last seen: the series an alert on a silent device needs.
// Without it, a device that goes offline leaves the exposition and its series go stale.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "cli/exporter/fleet_metrics.h"
#include "inventory/known_device.h"

namespace cpe {
class CNetManagement;
class CSqlManagement;
}  // namespace cpe

namespace cpe::inventory {
class Inventory;
}  // namespace cpe::inventory

namespace cpe::cli {

class FleetCache {
public:
    static constexpr int kPageSize = 1000;
    // The inventory's device list is read on every tenth Refresh.
    static constexpr int kKnownEveryRefreshes = 10;

    // Reads the next page of the store's records and, with an inventory, what it knows: its
    // device list now and then, and the last records of up to a page of the devices not read
    // yet. After the store's last page, forgets the devices that are neither online nor known,
    // and starts again from the first.
    void Refresh(CSqlManagement& store, CNetManagement& engine, inventory::Inventory* inventory = nullptr);
    // The whole exposition: the identified devices whose record was read, and the engine's
    // counters. Texts in UTF-8, keys never.
    std::string Render(CNetManagement& engine, ExpositionFormat format);

private:
    std::mutex mutex_;
    std::map<std::string, DeviceSample, std::less<>> devices_;          // by MAC text
    std::map<std::string, inventory::KnownDevice, std::less<>> known_;  // the inventory's, by MAC
    int nextPage_ = 1;
    int refreshes_ = 0;
};

}  // namespace cpe::cli
