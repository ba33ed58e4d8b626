#include "config/ip_set_dlg.h"

#include <QLineEdit>

namespace cpe {
namespace {

namespace ip = ids::ip_set;

struct AddressField {
    int id;
    actions::ConfigField field;
    std::string actions::IpEntries::*entry;
};
constexpr AddressField kFields[] = {
    {ip::kIp, actions::ConfigField::kIp, &actions::IpEntries::ip},
    {ip::kMask, actions::ConfigField::kMask, &actions::IpEntries::mask},
    {ip::kGateway, actions::ConfigField::kGateway, &actions::IpEntries::gateway},
    {ip::kPrimaryDns, actions::ConfigField::kPrimaryDns, &actions::IpEntries::primaryDns},
    {ip::kSecondaryDns, actions::ConfigField::kSecondaryDns, &actions::IpEntries::secondaryDns},
};

}  // namespace

CIPSetDlg::CIPSetDlg(const actions::IpFormModel& model, QWidget* parent) : CConfigFormDlg(kDialogId, parent) {
    for (const AddressField& f : kFields)
        SetEntryText(EditAt(*this, f.id), model.InitialEntries().*f.entry);
}

actions::IpEntries CIPSetDlg::Entries() const {
    actions::IpEntries e;
    for (const AddressField& f : kFields)
        e.*f.entry = EntryText(EditAt(*this, f.id));
    return e;
}

QWidget* CIPSetDlg::FieldControl(actions::ConfigField field) const {
    for (const AddressField& f : kFields)
        if (f.field == field)
            return DlgItemWidget(this, f.id);
    return nullptr;
}

}  // namespace cpe
