// What the flood and soak benchmarks share: the utility with its real windows (main window,
// status page and the other pages) over the real engine and a store on a temporary file, in the
// network lab; a probe of the user-interface thread's timer lateness; memory and drop figures.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/application_dlg.h"
#include "pages/status_dlg.h"
#include "tests/e2e/lab_support.h"
#include "ui/skin_settings.h"

namespace cpe::load {

// Runs the event loop until `done` holds or `limit` passes; true when it held.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

// An unsigned value from the environment, or `fallback` when unset or not a number.
double EnvNumber(const char* name, double fallback);

class LabWindow {
public:
    // The program's look and texts (resources/ of the source tree), the engine and store, the
    // main window shown with its real pages, the status page's run shortened to 30 ticks of
    // `tick` (the program: 1 s).
    explicit LabWindow(std::chrono::milliseconds tick);
    ~LabWindow();

    bool Started() const { return utility_.Started(); }
    lab::Utility& Utility() { return utility_; }
    CApplicationDlg& Window() { return *window_; }
    CStatusDlg& Status() { return *status_; }

    // Presses Search on the status page (when it is idle: else it would stop the run).
    void StartDiscovery();
    // Presses Search and waits for the run to end. False when it did not.
    bool RunDiscovery(std::chrono::milliseconds limit);

private:
    SkinSettings skin_;
    lab::Utility utility_;
    std::unique_ptr<CApplicationDlg> window_;
    CStatusDlg* status_ = nullptr;
};

// How late the user-interface thread serves a 10 ms timer: the worst and the number of ticks
// more than 100 ms late, while it runs.
class TimerProbe {
public:
    TimerProbe();
    void Start();
    void Stop();
    double WorstLatenessMs() const { return worstMs_; }
    std::uint64_t Ticks() const { return ticks_; }
    std::uint64_t LateTicks() const { return late_; }

private:
    static constexpr int kPeriodMs = 10;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    double worstMs_ = 0;
    std::uint64_t ticks_ = 0;
    std::uint64_t late_ = 0;
};

// KiB as "12.3 MiB".
std::string Mib(std::uint64_t kib);

}  // namespace cpe::load
