#include "bench/load/load_support.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <cstdlib>

#include "app/child_dlg.h"
#include "lang/language.h"
#include "platform/system_info.h"
#include "ui/ct_button_picture.h"

namespace cpe::load {

bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QTest::qWait(20);
    }
    return true;
}

double EnvNumber(const char* name, double fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0')
        return fallback;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end != text && *end == '\0' && value > 0 ? value : fallback;
}

LabWindow::LabWindow(std::chrono::milliseconds tick) {
    const std::string resources = CPE_SOURCE_DIR "/resources/";
    InitLanguage(resources, 1033);
    LoadSkinSettings(skin_, resources, platform::VersionText());
    InitSkinPaths(skin_, resources, LanguageLcid());
    InstallSkin(&skin_);
    window_ = std::make_unique<CApplicationDlg>(PageServices{utility_.Engine(), utility_.Store()},
                                                CApplicationDlg::Options{{}, false, {}});
    window_->show();
    status_ = dynamic_cast<CStatusDlg*>(window_->m_pChildDlg->PageById(CStatusDlg::kDialogId));
    status_->SetTimings({static_cast<int>(tick.count()), CStatusDlg::Timings{}.renameRefreshMs});
}

LabWindow::~LabWindow() {
    window_.reset();
    InstallSkin(nullptr);
}

void LabWindow::StartDiscovery() {
    if (status_->IsIdle())
        QTest::mouseClick(status_->SearchButton(), Qt::LeftButton);
}

bool LabWindow::RunDiscovery(std::chrono::milliseconds limit) {
    if (!status_->IsIdle())
        return false;
    StartDiscovery();
    return RunUntil([&] { return status_->IsIdle(); }, limit);
}

TimerProbe::TimerProbe() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kPeriodMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        const qint64 now = clock_.nsecsElapsed();
        const double lateMs = static_cast<double>(now - last_) / 1e6 - kPeriodMs;
        last_ = now;
        ++ticks_;
        worstMs_ = std::max(worstMs_, lateMs);
        if (lateMs > 100)
            ++late_;
    });
}

void TimerProbe::Start() {
    clock_.start();
    last_ = 0;
    timer_.start();
}

void TimerProbe::Stop() { timer_.stop(); }

std::string Mib(std::uint64_t kib) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(kib) / 1024.0);
    return text;
}

}  // namespace cpe::load
