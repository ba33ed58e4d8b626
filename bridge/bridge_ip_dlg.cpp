#include "bridge/bridge_ip_dlg.h"

#include "ui/dialog_template.h"

#include <QLineEdit>

namespace cpe {
namespace {

constexpr std::array<actions::ConfigField, 5> kFields = {
    actions::ConfigField::kIp, actions::ConfigField::kMask, actions::ConfigField::kGateway,
    actions::ConfigField::kPrimaryDns, actions::ConfigField::kSecondaryDns};

}  // namespace

CBridgeIPSetDlg::CBridgeIPSetDlg(QWidget* parent) : CBridgeStepDlg(kDialogId, parent) {
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i] = DlgItem<QLineEdit>(this, ids::bridge_ip::kAddressFields[i]);
}

void CBridgeIPSetDlg::Init(const actions::IpEntries& e) {
    const std::string* texts[] = {&e.ip, &e.mask, &e.gateway, &e.primaryDns, &e.secondaryDns};
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(QString::fromStdString(*texts[i]));
}

actions::IpEntries CBridgeIPSetDlg::Entries() const {
    auto text = [this](std::size_t i) { return m_fields[i]->text().toStdString(); };
    return {text(0), text(1), text(2), text(3), text(4)};
}

void CBridgeIPSetDlg::FocusField(actions::ConfigField field) {
    for (std::size_t i = 0; i < kFields.size(); ++i)
        if (kFields[i] == field)
            m_fields[i]->setFocus();
}

}  // namespace cpe
