// Step 3 of the bridge wizard: a picture and one line saying what Save will do.
#pragma once

#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

namespace cpe {

class CBridgeFinishDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kBridgeFinishDlg;

    explicit CBridgeFinishDlg(QWidget* parent);
};

}  // namespace cpe
