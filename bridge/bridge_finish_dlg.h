// Step 3 of the bridge wizard: a picture and one line saying what Save will do.
#pragma once

#include "bridge/bridge_step_dlg.h"
#include "ui/resource_ids.h"

namespace cpe {

class CBridgeFinishDlg : public CBridgeStepDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kBridgeFinishDlg;

    explicit CBridgeFinishDlg(QWidget* parent);
};

}  // namespace cpe
