// The About box: the program icon, its name with the version and a fixed line, closed by its OK
// button.
#pragma once

#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

namespace cpe {

class CAboutDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kAboutDlg;
    // The text of the menu item that opens the box.
    static constexpr const char* kMenuText = "&About CPEManagement...";

    explicit CAboutDlg(QWidget* parent);
};

}  // namespace cpe
