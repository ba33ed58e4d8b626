#include "upgrade/upgrade_config_dlg.h"

#include "actions/upgrade/operate_system_info.h"
#include "actions/upgrade/upgrade_helpers.h"
#include "engine/net_management.h"
#include "inventory/inventory.h"
#include "protocol/codes.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_picture.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/message_box.h"
#include "ui/page_text.h"
#include "ui/skin_qt.h"
#include "ui/tab_order.h"
#include "ui/translate_window.h"
#include "upgrade/upgrade_messages.h"
#include "upgrade/upgrade_texts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimerEvent>
#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <utility>

namespace cpe {
namespace {

using actions::UpgradeTimer;
using Clock = actions::UpgradeSchedule::Clock;
namespace id = ids::upgrade_config;

// The dialog's documented timer ids, by actions::UpgradeTimer.
constexpr int kTimerIds[] = {CUpgradeConfigDlg::TIMER_TRANSFER, CUpgradeConfigDlg::TIMER_FLASH,
                             CUpgradeConfigDlg::TIMER_FOLLOW_UP, CUpgradeConfigDlg::TIMER_STATUS};
static_assert(std::size(kTimerIds) == std::size(actions::kUpgradeTimers));

int TimerId(UpgradeTimer timer) { return kTimerIds[static_cast<std::size_t>(timer)]; }

}  // namespace

CUpgradeConfigDlg::CUpgradeConfigDlg(std::vector<actions::UpgradeTarget> targets, UpgradeServices services,
                                     QWidget* parent)
    : CTDialog(parent, Qt::Dialog),
      m_targets(std::move(targets)),
      m_services(services),
      m_schedule(m_services.timings) {
    BuildDialog(this, kDialogId);
    TranslateWindow(this);
    InitControls();
}

CUpgradeConfigDlg::~CUpgradeConfigDlg() { EndUpgrade(); }

void CUpgradeConfigDlg::InitControls() {
    const SkinSettings& skin = Skin();
    m_bDrag = true;
    m_bFill = true;
    m_crFill = skin.childBkColor;

    ApplyTitleStrip(*DlgItem<QLabel>(this, id::kTitleStrip), *DlgItem<CTStatic>(this, id::kTitle));
    if (auto* separator = DlgItem<CTPicture>(this, id::kSeparator);
        separator && !skin.paths.orangeLine.empty() &&
        separator->LoadFile(QString::fromStdString(skin.paths.orangeLine)))
        separator->DrawPicture();

    m_pType = DlgItem<QComboBox>(this, id::kTypeList);
    m_pFile = DlgItem<QLineEdit>(this, id::kFileEdit);
    m_pScan = DlgItem<CTButtonPicture>(this, id::kScanButton);
    m_pUpgrade = DlgItem<CTButtonPicture>(this, id::kUpgradeButton);
    m_pClose = DlgItem<CTButtonPicture>(this, id::kCloseButton);
    m_pProgress = DlgItem<QProgressBar>(this, id::kProgress);
    m_pProgressLabel = DlgItem<QLabel>(this, id::kProgressLabel);

    SetButtonPicture(*m_pClose, skin.paths.closeConfig);
    SetButtonPicture(*m_pScan, skin.paths.btnConfig);
    SetButtonPicture(*m_pUpgrade, skin.paths.configBtn);
    ApplyButtonStyle(*m_pScan, PageText("Scan"));
    ApplyButtonStyle(*m_pUpgrade, PageText("Upgrade"));
    connect(m_pScan, &QAbstractButton::clicked, this, &CUpgradeConfigDlg::OnScan);
    connect(m_pUpgrade, &QAbstractButton::clicked, this, &CUpgradeConfigDlg::OnUpgrade);
    connect(m_pClose, &QAbstractButton::clicked, this, &CUpgradeConfigDlg::OnClose);
    SetKeyButtons(m_pUpgrade, m_pClose);
    SetReadingTabOrder(*this);

    // Model names are names, not texts to translate: the list is filled after the translation.
    for (int model : actions::DistinctModels(m_targets))
        m_pType->addItem(QString::fromStdString(ModelName(model)), model);
    m_pType->setCurrentIndex(0);
}

void CUpgradeConfigDlg::OnScan() {
    QFileDialog dialog(this, QString(), m_strFolder, QStringLiteral("* Files (*)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    m_strFileName = chosen.fileName();
    m_strFolder = chosen.absolutePath();
    // The edit shows the end of a long path, the file name; the whole path is its tool tip.
    m_pFile->setText(QDir::toNativeSeparators(chosen.absoluteFilePath()));
    m_pFile->setToolTip(m_pFile->text());
}

void CUpgradeConfigDlg::OnUpgrade() {
    if (m_strFileName.isEmpty()) {
        ShowMessageBox(this, PageText(upgrade_message::kSelectFile), MessageIcon::kExclamation);
        return;
    }
    const int model = m_pType->currentData().toInt();
    if (!MayStartHelper(model))
        return;
    if (ShowMessageBox(this, PageText(upgrade_message::kConfirm), MessageIcon::kQuestion, MessageButtons::kOkCancel) !=
        IDOK)
        return;
    if (!StartHelper(model, actions::WaitingQueueOf(m_targets, model)))
        return;
    // The devices ask the helper for the name as the file system holds it; a Linux file name
    // (at most 255 bytes) always fits the request whole.
    StartRun(model, QFile::encodeName(m_strFileName).toStdString());
}

bool CUpgradeConfigDlg::MayStartHelper(int model) {
    const auto refusal = actions::RefusalOf(actions::CheckUpgradeHelper(m_services.helpers.Layout(), model));
    if (refusal)
        ShowMessageBox(this, RefusalText(*refusal), MessageIcon::kExclamation);
    return !refusal;
}

bool CUpgradeConfigDlg::StartHelper(int model, const std::vector<actions::UpgradeTarget>& queue) {
    const actions::UpgradeHelperStart started = actions::StartUpgradeHelper(
        m_services.helpers, m_services.engine, model, QFile::encodeName(m_strFolder).toStdString(), queue);
    if (started.noLocalAddress)
        ShowMessageBox(this, PageText(upgrade_message::kNoLocalAddress), MessageIcon::kExclamation);
    else if (!started.helper.ok)
        ReportHelperFailure(started.helper);
    return started.Ok();
}

void CUpgradeConfigDlg::ReportHelperFailure(const actions::HelperStart& failure) {
    ShowMessageBox(this, HelperFailureText(failure, m_services.helpers.Layout()), MessageIcon::kError);
}

void CUpgradeConfigDlg::StartRun(int model, const std::string& fileName) {
    const bool modelSetB = IsModelSetB(model);
    m_pScan->setEnabled(false);
    m_pUpgrade->hide();
    m_pProgressLabel->show();
    m_pProgress->show();

    m_lastStatus.clear();
    if (m_services.inventory)
        for (const actions::UpgradeTarget& target : m_targets)
            m_services.inventory->TakeBackup(target.mac, inventory::backup_reason::kBeforeUpgrade);
    // The engine reads the replies to the first request by this model.
    m_services.engine.SetUpgradeModelCode(model);
    m_queries = std::make_unique<actions::StoreUpgradeQueries>(m_services.store);
    m_sender = std::make_unique<actions::EngineUpgradeSender>(m_services.engine, fileName);
    m_run = std::make_unique<actions::UpgradeRun>(m_targets, model, modelSetB, *m_queries, *m_sender);
    actions::UpgradeBatch first = m_run->Start();
    m_bRunning = true;
    ShowProgress();

    m_sendThread.Start(std::move(first), *m_sender,
                       actions::BeforeFirstBatch(m_services.helpers, model, m_services.timings), [this] {
                           QMetaObject::invokeMethod(
                               this, [this] { OnFirstBatchSent(); }, Qt::QueuedConnection);
                       });
    FollowRunTimers();
}

void CUpgradeConfigDlg::OnFirstBatchSent() {
    if (!m_bRunning)
        return;
    m_run->FirstBatchSent();
    FollowRunTimers();
}

void CUpgradeConfigDlg::FollowRunTimers() {
    const Clock::time_point now = Clock::now();
    m_schedule.Follow(*m_run, now);
    const std::optional<Clock::time_point> next = m_schedule.NextDue();
    if (!next) {
        m_clock.stop();
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(std::max(*next - now, Clock::duration()));
    m_clock.start(static_cast<int>(wait.count()), Qt::PreciseTimer, this);
}

bool CUpgradeConfigDlg::TimerRunning(int timerId) const {
    for (UpgradeTimer timer : actions::kUpgradeTimers)
        if (TimerId(timer) == timerId)
            return m_bRunning && m_schedule.Armed(timer);
    return false;
}

void CUpgradeConfigDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_clock.timerId()) {
        CTDialog::timerEvent(event);
        return;
    }
    for (UpgradeTimer timer : m_schedule.TakeDue(Clock::now()))
        OnTimer(TimerId(timer));
    // A clock that woke a little early finds nothing due and sets itself again.
    if (m_bRunning)
        FollowRunTimers();
}

void CUpgradeConfigDlg::OnTimer(int timerId) {
    if (!m_bRunning)
        return;
    switch (timerId) {
    case TIMER_TRANSFER:
        m_run->TickTransfer();
        ShowProgress();
        break;
    case TIMER_FLASH:
        m_run->TickFlash();
        ShowProgress();
        break;
    case TIMER_FOLLOW_UP: m_run->TickFollowUp(); break;
    case TIMER_STATUS:
        for (const actions::DeviceStatus& device : m_run->TickStatus()) {
            m_lastStatus[device.mac] = device.status;
            emit DeviceStatusRead(QString::fromStdString(device.mac), device.status);
        }
        break;
    default: return;
    }
    if (m_run->Phase() == actions::UpgradePhase::kFinished)
        Finish();
    else
        FollowRunTimers();
}

void CUpgradeConfigDlg::ShowProgress() {
    const bool transfer = m_run->Phase() == actions::UpgradePhase::kTransfer;
    m_pProgressLabel->setText(
        PageText(transfer ? upgrade_message::kTransferProgress : upgrade_message::kFlashProgress));
    m_pProgress->setRange(0, m_run->ProgressRange());
    m_pProgress->setValue(m_run->ProgressPosition());
}

void CUpgradeConfigDlg::Finish() {
    EndUpgrade();
    m_pScan->setEnabled(true);
    m_pUpgrade->show();
    accept();
}

void CUpgradeConfigDlg::OnClose() {
    if (m_bRunning && m_run->Unsent() > 0) {
        const QString question = FilledText(upgrade_message::kUnsentOnClose, {QString::number(m_run->Unsent())});
        if (ShowMessageBox(this, question, MessageIcon::kQuestion, MessageButtons::kOkCancel) != IDOK)
            return;
        // The upgrade may have come to its end while the operator was asked.
        if (m_run->Phase() == actions::UpgradePhase::kFinished)
            return;
    }
    EndUpgrade();
    reject();
}

void CUpgradeConfigDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnClose();
}

void CUpgradeConfigDlg::EndUpgrade() {
    if (m_bRunning && m_services.inventory) {
        const inventory::EventDetail image =
            inventory::FirmwareDetail(std::filesystem::path(QFile::encodeName(m_strFolder).toStdString()) /
                                      QFile::encodeName(m_strFileName).toStdString());
        for (const actions::UpgradeTarget& target : m_targets) {
            const auto status = m_lastStatus.find(target.mac);
            m_services.inventory->RecordAction(
                target.mac, inventory::event_kind::kUpgrade,
                status == m_lastStatus.end() ? std::string_view("did not report") : StatusKey(status->second), image);
        }
    }
    m_bRunning = false;
    m_clock.stop();
    m_sendThread.Stop();
    m_services.helpers.StopHelpers();
}

}  // namespace cpe
