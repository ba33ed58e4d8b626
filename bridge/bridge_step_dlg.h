// Base of the wizard's steps and of the security step's WEP part: a child window laid out from
// its template, translated, on the skin's background.
#pragma once

#include "ui/ct_dialog.h"

namespace cpe {

class CBridgeStepDlg : public CTDialog {
    Q_OBJECT
protected:
    CBridgeStepDlg(int dialogId, QWidget* parent);
};

}  // namespace cpe
