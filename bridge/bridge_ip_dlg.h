// Step 2 of the bridge wizard: the address, mask, gateway and DNS servers the device keeps as a
// station, starting from its own.
#pragma once

#include <array>

#include "actions/config/ip_rules.h"
#include "bridge/bridge_step_dlg.h"
#include "ui/resource_ids.h"

class QLineEdit;

namespace cpe {

class CBridgeIPSetDlg : public CBridgeStepDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kBridgeIpDlg;

    explicit CBridgeIPSetDlg(QWidget* parent);

    void Init(const actions::IpEntries& entries);
    actions::IpEntries Entries() const;
    void FocusField(actions::ConfigField field);

    // IP, mask, gateway, primary and secondary DNS.
    QLineEdit* AddressField(int i) const { return m_fields[static_cast<std::size_t>(i)]; }

private:
    std::array<QLineEdit*, 5> m_fields{};
};

}  // namespace cpe
