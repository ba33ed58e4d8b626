// Turns SIGINT, SIGTERM and SIGHUP into a call on the user-interface thread, so that a program
// ended from outside (a terminal, a session logout, a script) still closes its main window and
// shuts down in order: engine stopped, database file deleted.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace cpe {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    // Only one object may exist at a time; the previous dispositions come back when it goes.
    QuitSignals(std::function<void()> onQuit, QObject* parent = nullptr);
    ~QuitSignals() override;
    bool Installed() const { return m_notifier != nullptr; }

private:
    std::function<void()> m_onQuit;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace cpe
