// The WEP part of the bridge wizard's security step: authentication, default key, and four keys
// with their types.
#pragma once

#include <array>

#include "actions/bridge/bridge_security.h"
#include "bridge/bridge_step_dlg.h"
#include "ui/resource_ids.h"

class QComboBox;
class QLineEdit;

namespace cpe {

class CBridgeWepDlg : public CBridgeStepDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kBridgeWepDlg;

    explicit CBridgeWepDlg(QWidget* parent);

    actions::BridgeWepEntries Entries() const;
    // Authentication back to "Open" (an access point surveyed with WEP).
    void SelectOpen();

    QComboBox* AuthList() const { return m_pAuth; }
    QComboBox* DefaultKeyList() const { return m_pDefaultKey; }
    QLineEdit* KeyEdit(int i) const { return m_keys[static_cast<std::size_t>(i)]; }
    QComboBox* KeyTypeList(int i) const { return m_types[static_cast<std::size_t>(i)]; }

private:
    QComboBox* m_pAuth = nullptr;
    QComboBox* m_pDefaultKey = nullptr;
    std::array<QLineEdit*, 4> m_keys{};
    std::array<QComboBox*, 4> m_types{};
};

}  // namespace cpe
