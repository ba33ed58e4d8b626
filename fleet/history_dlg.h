// A device's history: every event the inventory holds of it, newest first, with its time, what
// happened and what the event carries (outcomes, who did it, from which front end).
#pragma once

#include "fleet/fleet_dialog.h"
#include "ui/resource_ids.h"

namespace cpe {

class CHistoryDlg : public CFleetDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kHistoryDlg;
    // The most events shown.
    static constexpr int kMaxEvents = 1000;

    CHistoryDlg(PageServices services, std::string mac, QWidget* parent = nullptr);
};

}  // namespace cpe
