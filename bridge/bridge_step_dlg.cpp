#include "bridge/bridge_step_dlg.h"

#include "ui/dialog_template.h"
#include "ui/translate_window.h"

namespace cpe {

CBridgeStepDlg::CBridgeStepDlg(int dialogId, QWidget* parent) : CTDialog(parent, Qt::Widget) {
    BuildDialog(this, dialogId);
    TranslateWindow(this);
    m_bFill = true;
    m_crFill = Skin().childBkColor;
}

}  // namespace cpe
