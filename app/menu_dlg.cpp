#include "app/menu_dlg.h"

#include "app/child_dlg.h"
#include "lang/language.h"
#include "platform/system_info.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

namespace cpe {
namespace {

QString Path(const std::string& p) { return QString::fromStdString(p); }

const char* ButtonKey(int buttonId) {
    for (const PageSlot& s : kPageSlots)
        if (s.buttonId == buttonId)
            return s.buttonKey;
    return "";
}

}  // namespace

CMenuDlg::CMenuDlg(QWidget* parent, std::function<CChildDlg*()> pageHost)
    : CTDialog(parent, Qt::Widget), m_pageHost(std::move(pageHost)) {
    BuildDialog(this, kDialogId);
    TranslateWindow(this);
    SetBkImage(Path(Skin().paths.mainLeftBk));
    InitButtons();
    SelectMenuButton(kStatusButtonId);
    InitVersionLabel();
}

void CMenuDlg::InitButtons() {
    const SkinPaths& p = Skin().paths;
    for (int id : kButtonIds) {
        CTButtonPicture* b = Button(id);
        ApplyMenuButtonStyle(*b, QString::fromStdString(TranslateString(ButtonKey(id))));
        if (id == kStatusButtonId)
            b->SetImages(Path(p.menuSearchNormal), Path(p.menuSearchDown), Path(p.menuSearchDown),
                         Path(p.menuSearchNormal));
        else if (id == ids::menu::kInventoryButton)
            b->SetImages(Path(p.menuInventoryNormal), Path(p.menuInventoryDown), Path(p.menuInventoryDown),
                         Path(p.menuInventoryNormal));
        else
            b->SetImages(Path(p.menuWirelessNormal), Path(p.menuWirelessDown), Path(p.menuWirelessDown),
                         Path(p.menuWirelessNormal));
        b->m_nPlacement = CTButtonPicture::kPlaceLeft;
        b->m_nMargin = kTextMargin;
        connect(b, &CTButtonPicture::clicked, this, [this, id] { ShowPage(id); });
    }
}

void CMenuDlg::InitVersionLabel() {
    const SkinSettings& s = Skin();
    CTStatic* label = VersionLabel();
    ApplyLabelStyle(*label);
    label->m_crText = s.staticTextNumberColor;
    label->setProperty(kNoTranslateProperty, true);
    label->setText(QString::fromStdString(s.versionText.empty() ? platform::VersionText() : s.versionText));
}

CTButtonPicture* CMenuDlg::Button(int buttonId) const {
    for (int id : kButtonIds)
        if (id == buttonId)
            return DlgItem<CTButtonPicture>(this, id);
    return nullptr;
}

CTStatic* CMenuDlg::VersionLabel() const { return DlgItem<CTStatic>(this, kVersionLabelId); }

void CMenuDlg::SelectMenuButton(int buttonId) {
    for (int id : kButtonIds) {
        CTButtonPicture* b = Button(id);
        b->m_bSelected = false;
        b->update();
    }
    if (CTButtonPicture* b = Button(buttonId)) {
        b->m_bSelected = true;
        b->update();
    }
}

int CMenuDlg::SelectedButton() const {
    for (int id : kButtonIds)
        if (Button(id)->m_bSelected)
            return id;
    return 0;
}

void CMenuDlg::EnableMenuButtons(bool enable) {
    for (int id : kButtonIds)
        Button(id)->setEnabled(enable);
}

void CMenuDlg::ShowPage(int buttonId) {
    SelectMenuButton(buttonId);
    CChildDlg* host = m_pageHost ? m_pageHost() : nullptr;
    if (!host)
        return;
    host->ShowPageSlot(SlotOfButton(buttonId));
}

}  // namespace cpe
