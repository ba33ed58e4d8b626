#include "ui/wait_dlg.h"

#include "ui/ct_button_picture.h"
#include "ui/dialog_template.h"
#include "ui/translate_window.h"

#include <QProgressBar>
#include <QTimerEvent>
#include <algorithm>

namespace cpe {

CWaitDlg::CWaitDlg(int seconds, QWidget* parent, std::chrono::milliseconds tick)
    : CTDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_nStepCount(std::max(seconds, 0) * 2), m_tick(tick) {
    BuildDialog(this, kDialogId);
    TranslateWindow(this);
    m_bDrag = true;
    m_crFill = Rgb(242, 242, 242);
    m_bFill = true;

    m_pClose = DlgItem<CTButtonPicture>(this, kCloseId);
    const QString close = QString::fromStdString(Skin().paths.closeWait);
    m_pClose->SetImages(close, close, close, close);
    connect(m_pClose, &CTButtonPicture::clicked, this, [this] { done(Accepted); });

    m_pProgress = DlgItem<QProgressBar>(this, kProgressId);
    m_pProgress->setRange(0, m_nStepCount);
    m_pProgress->setValue(0);
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
        return;
    }
    m_pProgress->setValue(m_nStepCount);
    done(Accepted);
}

void CWaitDlg::done(int result) {
    m_timer.stop();
    CTDialog::done(result);
}

}  // namespace cpe
