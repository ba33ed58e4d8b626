#include "bridge/bridge_finish_dlg.h"

#include "ui/ct_button_picture.h"
#include "ui/dialog_template.h"
#include "ui/page_text.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

#include <QLabel>

namespace cpe {
namespace {

namespace f = ids::bridge_finish;

}  // namespace

CBridgeFinishDlg::CBridgeFinishDlg(QWidget* parent) : CBridgeStepDlg(kDialogId, parent) {
    // A picture in the form of a button: every state shows it and a click does nothing.
    m_pPicture = DlgItem<CTButtonPicture>(this, f::kPicture);
    SetButtonPicture(*m_pPicture, Skin().paths.bridgeFinish);
    m_pPicture->setCursor(Qt::ArrowCursor);
    m_pAnswer = DlgItem<QLabel>(this, f::kAnswer);
    for (int id : f::kSummaryValues) {
        auto* value = DlgItem<QLabel>(this, id);
        value->setProperty(kNoTranslateProperty, true);
        value->setTextFormat(Qt::PlainText);
        value->setWordWrap(false);
    }
}

QLabel* CBridgeFinishDlg::SummaryValue(std::size_t row) const {
    return row < f::kSummaryValues.size() ? DlgItem<QLabel>(this, f::kSummaryValues[row]) : nullptr;
}

void CBridgeFinishDlg::ShowSummaryRows(bool visible) {
    DlgItemWidget(this, f::kText)->setVisible(visible);
    for (std::size_t i = 0; i < f::kSummaryLabels.size(); ++i) {
        DlgItemWidget(this, f::kSummaryLabels[i])->setVisible(visible);
        DlgItemWidget(this, f::kSummaryValues[i])->setVisible(visible);
    }
}

void CBridgeFinishDlg::ShowSummary(const std::vector<actions::SummaryRow>& rows) {
    for (std::size_t i = 0; i < f::kSummaryLabels.size(); ++i) {
        const bool filled = i < rows.size();
        DlgItem<QLabel>(this, f::kSummaryLabels[i])
            ->setText(filled ? PageText(std::string(rows[i].labelKey).c_str()) + QLatin1Char(':') : QString());
        QLabel* value = SummaryValue(i);
        value->setText(filled ? QString::fromStdString(rows[i].value) : QString());
        value->setToolTip(value->text());
    }
    ShowSummaryRows(true);
    m_pPicture->hide();
    m_pAnswer->clear();
}

void CBridgeFinishDlg::ShowAnswer(actions::BridgeAnswer answer) {
    m_pAnswer->setText(PageText(std::string(actions::AnswerKey(answer)).c_str()));
    const bool connected = answer == actions::BridgeAnswer::kSucceeded;
    ShowSummaryRows(!connected);
    m_pPicture->setVisible(connected);
}

}  // namespace cpe
