// The menu panel on the left of the main window: nine page buttons and the version label. A
// button click selects the button and shows its page in the page host.
#pragma once

#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

#include <array>
#include <functional>

namespace cpe {

class CChildDlg;
class CTButtonPicture;
class CTStatic;

class CMenuDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kMenuDlg;
    static constexpr int kVersionLabelId = ids::menu::kVersionLabel;
    static constexpr int kStatusButtonId = ids::menu::kStatusButton;
    static constexpr int kTextMargin = 30;
    // The page buttons from top to bottom.
    static constexpr std::array<int, 9> kButtonIds = ids::menu::kPageButtons;

    // `pageHost` answers the page host of the main window (null while it does not exist).
    CMenuDlg(QWidget* parent, std::function<CChildDlg*()> pageHost);

    // Clears the selected look of all the buttons, then selects the button with that id.
    void SelectMenuButton(int buttonId);
    void EnableMenuButtons(bool enable);
    // What a click on a page button does: select it and show its page.
    void ShowPage(int buttonId);

    CTButtonPicture* Button(int buttonId) const;
    // The id of the selected button, or 0.
    int SelectedButton() const;
    CTStatic* VersionLabel() const;

private:
    void InitButtons();
    void InitVersionLabel();

    std::function<CChildDlg*()> m_pageHost;
};

}  // namespace cpe
