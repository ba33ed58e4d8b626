#include "bridge/bridge_finish_dlg.h"

#include "ui/skin_qt.h"

#include "ui/ct_button_picture.h"
#include "ui/dialog_template.h"

namespace cpe {

CBridgeFinishDlg::CBridgeFinishDlg(QWidget* parent) : CBridgeStepDlg(kDialogId, parent) {
    // A picture in the form of a button: every state shows it and a click does nothing.
    auto* picture = DlgItem<CTButtonPicture>(this, ids::bridge_finish::kPicture);
    SetButtonPicture(*picture, Skin().paths.bridgeFinish);
    picture->setCursor(Qt::ArrowCursor);
}

}  // namespace cpe
