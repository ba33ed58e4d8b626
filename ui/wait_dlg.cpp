#include "ui/wait_dlg.h"

#include "ui/ct_button_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/message_box.h"
#include "ui/skin_qt.h"
#include "ui/translate_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimerEvent>
#include <algorithm>

namespace cpe {
namespace {

constexpr int kStepsPerSecond = 2;

}  // namespace

CWaitDlg::CWaitDlg(WaitTexts texts, int seconds, QWidget* parent, std::chrono::milliseconds tick)
    : CTDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_texts(std::move(texts)),
      m_nStepCount(std::max(seconds, 0) * kStepsPerSecond),
      m_tick(tick) {
    BuildDialog(this, kDialogId);
    TranslateWindow(this);
    m_bDrag = true;
    m_crFill = Skin().childBkColor;
    m_bFill = true;

    auto* title = DlgItem<CTStatic>(this, ids::wait::kTitle);
    ApplyTitleStrip(*DlgItem<QLabel>(this, ids::wait::kTitleStrip), *title);
    title->setText(m_texts.title);
    setWindowTitle(m_texts.title);

    m_pClose = DlgItem<CTButtonPicture>(this, kCloseId);
    SetButtonPicture(*m_pClose, Skin().paths.closeWait);
    m_pClose->raise();
    connect(m_pClose, &CTButtonPicture::clicked, this, &CWaitDlg::OnClose);
    SetKeyButtons(nullptr, m_pClose);

    m_pLine = DlgItem<QLabel>(this, ids::wait::kText);
    m_pProgress = DlgItem<QProgressBar>(this, kProgressId);
    m_pProgress->setRange(0, m_nStepCount);
    m_pProgress->setValue(0);
    ShowLine();
}

int CWaitDlg::SecondsLeft() const { return std::max(0, m_nStepCount - m_nStep + 1) / kStepsPerSecond; }

void CWaitDlg::ShowLine() {
    if (m_texts.line)
        m_pLine->setText(m_texts.line(SecondsLeft()));
}

void CWaitDlg::showEvent(QShowEvent* event) {
    CTDialog::showEvent(event);
    if (!m_timer.isActive())
        m_timer.start(static_cast<int>(m_tick.count()), this);
}

void CWaitDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timer.timerId())
        OnTick();
    else
        CTDialog::timerEvent(event);
}

void CWaitDlg::OnTick() {
    ++m_nTicks;
    ++m_nStep;
    if (m_nStep < m_nStepCount) {
        m_pProgress->setValue(m_nStep);
        ShowLine();
        return;
    }
    m_pProgress->setValue(m_nStepCount);
    done(Accepted);
}

void CWaitDlg::OnClose() {
    m_bClosedEarly = true;
    done(Accepted);
}

void CWaitDlg::TellEarlyClose(QWidget* over) const {
    if (m_bClosedEarly && !m_texts.earlyClose.isEmpty())
        OpenMessageBox(over, m_texts.earlyClose, MessageIcon::kInformation);
}

void CWaitDlg::done(int result) {
    m_timer.stop();
    CTDialog::done(result);
}

}  // namespace cpe
