// Step 3 of the bridge wizard. Before Save: one line saying what Save does and a summary of what
// it sends. After Save: what the device answered, and the picture of a connected station only
// once the device reported success.
#pragma once

#include "actions/bridge/bridge_summary.h"
#include "bridge/bridge_step_dlg.h"
#include "ui/resource_ids.h"

#include <vector>

class QLabel;

namespace cpe {

class CTButtonPicture;

class CBridgeFinishDlg : public CBridgeStepDlg {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kBridgeFinishDlg;

    explicit CBridgeFinishDlg(QWidget* parent);

    // The summary of the request Save is about to send; no answer yet.
    void ShowSummary(const std::vector<actions::SummaryRow>& rows);
    void ShowAnswer(actions::BridgeAnswer answer);

    QLabel* SummaryValue(std::size_t row) const;
    QLabel* AnswerLine() const { return m_pAnswer; }
    CTButtonPicture* ConnectedPicture() const { return m_pPicture; }

private:
    void ShowSummaryRows(bool visible);

    CTButtonPicture* m_pPicture = nullptr;
    QLabel* m_pAnswer = nullptr;
};

}  // namespace cpe
