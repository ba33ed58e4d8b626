#include "config/ip_set_dlg.h"

#include <QLineEdit>

namespace cpe {
namespace {

namespace ip = ids::ip_set;

struct AddressField {
    int id;
    ConfigField field;
    std::string IpEntries::*entry;
};
constexpr AddressField kFields[] = {
    {ip::kIp, ConfigField::kIp, &IpEntries::ip},
    {ip::kMask, ConfigField::kMask, &IpEntries::mask},
    {ip::kGateway, ConfigField::kGateway, &IpEntries::gateway},
    {ip::kPrimaryDns, ConfigField::kPrimaryDns, &IpEntries::primaryDns},
    {ip::kSecondaryDns, ConfigField::kSecondaryDns, &IpEntries::secondaryDns},
};

}  // namespace

CIPSetDlg::CIPSetDlg(const IpFormModel& model, QWidget* parent)
    : CConfigFormDlg(kDialogId, parent, {MessageIcon::kNone, MessageCaption::kApplication}) {
    for (const AddressField& f : kFields)
        SetEntryText(EditAt(*this, f.id), model.InitialEntries().*f.entry);
}

IpEntries CIPSetDlg::Entries() const {
    IpEntries e;
    for (const AddressField& f : kFields)
        e.*f.entry = EntryText(EditAt(*this, f.id));
    return e;
}

QWidget* CIPSetDlg::FieldControl(ConfigField field) const {
    for (const AddressField& f : kFields)
        if (f.field == field)
            return DlgItemWidget(this, f.id);
    return nullptr;
}

}  // namespace cpe
