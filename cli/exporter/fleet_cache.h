// What a scrape shows: the devices the engine has identified, with the texts of their records.
// Reading 10,000 records from the store takes far longer than a scrape may, so the exporter's own
// thread reads them a page at a time (Refresh, once a second) into this cache, and a scrape joins
// the cache with the engine's online list, which says who is online, at which address, with which
// up time and when each was last heard from. A renamed device shows its new name within one round
// of pages (10 s with 10,000 devices).
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "cli/exporter/fleet_metrics.h"

namespace cpe {
class CNetManagement;
class CSqlManagement;
}  // namespace cpe

namespace cpe::cli {

class FleetCache {
public:
    static constexpr int kPageSize = 1000;

    // Reads the next page of the store's records; after the last page, forgets the devices that
    // are no longer online and starts again from the first.
    void Refresh(CSqlManagement& store, CNetManagement& engine);
    // The whole exposition: the identified devices whose record was read, and the engine's
    // counters. Texts in UTF-8, keys never.
    std::string Render(CNetManagement& engine, ExpositionFormat format);

private:
    std::mutex mutex_;
    std::map<std::string, DeviceSample, std::less<>> devices_;  // by MAC text
    int nextPage_ = 1;
};

}  // namespace cpe::cli
