#include "config/wireless_set_dlg.h"

#include "config/security_forms.h"
#include "pages/limit_marks.h"
#include "ui/page_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace cpe {
namespace {

namespace w = ids::wireless_set;

constexpr int kWidthButtons[] = {w::kWidth20, w::kWidth40, w::kWidthThird};
constexpr int kCipherButtons[] = {w::kPskAes, w::kPskTkip, w::kPskTkipAes};
// The pre-shared key's controls with their labels: shown only for the PSK modes.
constexpr int kPskControls[] = {w::kPskCipherLabel,   w::kPskAes,      w::kPskTkip,     w::kPskTkipAes,
                                w::kKeyIntervalLabel, w::kKeyInterval, w::kPskKeyLabel, w::kPskKey};

QButtonGroup* GroupOf(QWidget& form, const int (&ids)[3]) {
    auto* group = new QButtonGroup(&form);
    for (int i = 0; i < 3; ++i)
        group->addButton(DlgItem<QRadioButton>(&form, ids[i]), i);
    return group;
}

// The sub-forms cover the rows of the pre-shared key: their first row lines up with its first.
void PlaceUnder(QWidget& subForm, const QWidget& firstRowLabel) {
    const auto* subFormLabel = subForm.findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    subForm.move(0, firstRowLabel.y() - (subFormLabel ? subFormLabel->y() : 0));
}

}  // namespace

CWirelessSetDlg::CWirelessSetDlg(actions::WirelessFormModel& model, QWidget* parent)
    : CConfigFormDlg(kDialogId, parent), m_model(model) {
    const actions::WirelessEntries& shown = m_model.InitialEntries();
    m_pWep = new CWepDlg(shown.wep, this);
    m_pWpa = new CWpaDlg(shown.wpa, this);
    const QWidget& pskRow = *DlgItemWidget(this, w::kPskCipherLabel);
    PlaceUnder(*m_pWep, pskRow);
    PlaceUnder(*m_pWpa, pskRow);
    m_pWidths = GroupOf(*this, kWidthButtons);
    m_pCiphers = GroupOf(*this, kCipherButtons);

    ShowDevice();
    MarkLimit(EditAt(*this, w::kLocation), actions::kDeviceTextLimit);
    MarkLimit(EditAt(*this, w::kSsid), actions::kDeviceTextLimit);
    MarkLimit(EditAt(*this, w::kPskKey), actions::kKeyLimit);
    MarkLimit(EditAt(*this, w::kKeyInterval), actions::kIntervalLimit);
    Connect();
    // Station, Universal Repeater and Repeater devices: shown, never edited here.
    setEnabled(m_model.Editable());
}

void CWirelessSetDlg::ShowDevice() {
    const actions::WirelessEntries& shown = m_model.InitialEntries();
    SetEntryText(EditAt(*this, w::kLocation), shown.location);
    SetEntryText(EditAt(*this, w::kSsid), shown.ssid);
    DlgItem<QCheckBox>(this, w::kHideSsid)->setChecked(shown.hideSsid);
    FillCombo(ComboAt(*this, w::kCountry), m_model.Countries());
    FillCombo(ComboAt(*this, w::kSecurityMode), m_model.SecurityModes());
    if (QAbstractButton* cipher = m_pCiphers->button(shown.pskCipher))
        cipher->setChecked(true);
    SetEntryText(EditAt(*this, w::kPskKey), shown.pskKey);
    SetEntryText(EditAt(*this, w::kKeyInterval), shown.pskInterval);
    SetEntryText(EditAt(*this, w::kPower), shown.power);
    DlgItem<QLabel>(this, w::kPowerRange)->setText(QString::fromStdString(m_model.PowerRangeText()));
    ShowModes();
    ShowSecurity();
}

void CWirelessSetDlg::Connect() {
    auto onActivated = [this](int comboId, auto&& react) {
        QComboBox& combo = ComboAt(*this, comboId);
        connect(&combo, &QComboBox::activated, this, [this, &combo, react] { react(SelectedOrNone(combo)); });
    };
    onActivated(w::kNetworkMode, [this](int code) {
        m_model.SelectNetworkMode(code);
        ShowModes();
    });
    onActivated(w::kCountry, [this](int position) {
        if (position >= 0)
            m_model.SelectCountry(static_cast<std::size_t>(position));
        ShowChannels();
    });
    onActivated(w::kChannel, [this](int channel) {
        m_model.SelectChannel(channel);
        ShowExtensions();
    });
    onActivated(w::kExtension, [this](int extension) { m_model.SelectExtension(extension); });
    onActivated(w::kSecurityMode, [this](int code) {
        m_model.SelectSecurityMode(code);
        ShowSecurity();
    });
    connect(m_pWidths, &QButtonGroup::idClicked, this, [this](int width) {
        m_model.SelectWidth(width);
        ShowWidths();
        ShowChannels();
    });
}

void CWirelessSetDlg::ShowModes() {
    FillCombo(ComboAt(*this, w::kNetworkMode), m_model.NetworkModes());
    ShowWidths();
    ShowChannels();
}

void CWirelessSetDlg::ShowWidths() {
    const actions::WidthRadios& widths = m_model.Widths();
    for (int i = 0; i < 3; ++i)
        m_pWidths->button(i)->setEnabled(widths.enabled[static_cast<std::size_t>(i)]);
    m_pWidths->button(widths.checked)->setChecked(true);
    DlgItem<QLabel>(this, w::kWidthThirdLabel)->setText(PageText(std::string(widths.thirdLabel).c_str()));
}

void CWirelessSetDlg::ShowChannels() {
    FillCombo(ComboAt(*this, w::kChannel), m_model.Channels());
    ShowExtensions();
}

void CWirelessSetDlg::ShowExtensions() { FillCombo(ComboAt(*this, w::kExtension), m_model.Extensions()); }

void CWirelessSetDlg::ShowSecurity() {
    const actions::SecurityVisibility visible = m_model.Visibility();
    for (int id : kPskControls) {
        QWidget* control = DlgItemWidget(this, id);
        control->setVisible(visible.pskControls);
        control->setEnabled(visible.pskControls);
    }
    m_pWep->setVisible(visible.wepForm);
    m_pWpa->setVisible(visible.wpaForm);
}

actions::WirelessEntries CWirelessSetDlg::Entries() const {
    actions::WirelessEntries e;
    e.location = EntryText(EditAt(*this, w::kLocation));
    e.ssid = EntryText(EditAt(*this, w::kSsid));
    e.hideSsid = DlgItem<QCheckBox>(this, w::kHideSsid)->isChecked();
    e.power = EntryText(EditAt(*this, w::kPower));
    e.pskCipher = m_pCiphers->checkedId();
    e.pskKey = EntryText(EditAt(*this, w::kPskKey));
    e.pskInterval = EntryText(EditAt(*this, w::kKeyInterval));
    e.wep = m_pWep->Entries();
    e.wpa = m_pWpa->Entries();
    return e;
}

QWidget* CWirelessSetDlg::FieldControl(actions::ConfigField field) const {
    switch (field) {
    case actions::ConfigField::kLocation: return DlgItemWidget(this, w::kLocation);
    case actions::ConfigField::kSsid: return DlgItemWidget(this, w::kSsid);
    case actions::ConfigField::kPower: return DlgItemWidget(this, w::kPower);
    case actions::ConfigField::kCountry: return DlgItemWidget(this, w::kCountry);
    case actions::ConfigField::kPskKey: return DlgItemWidget(this, w::kPskKey);
    case actions::ConfigField::kPskInterval: return DlgItemWidget(this, w::kKeyInterval);
    default: break;
    }
    if (QWidget* key = m_pWep->FieldControl(field))
        return key;
    return m_pWpa->FieldControl(field);
}

}  // namespace cpe
