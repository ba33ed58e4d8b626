// The application object: the one process-wide object of the program. Its start-up runs the
// whole life of the program in a fixed order (single instance, language, settings and skin, the
// protocol engine with the device store, then the main window until it closes); shutdown follows.
#pragma once

#include "platform/system_info.h"
#include "ui/skin_settings.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <string>

class QApplication;
class QObject;

namespace cpe {

class CApplicationDlg;
class CNetManagement;
namespace inventory {
class Inventory;
}
class CSqlManagement;
class CApplicationApp {
public:
    // The name of the single-instance lock.
    static constexpr const char* kInstanceName = platform::kProgramInstanceName;

    CApplicationApp();
    ~CApplicationApp();
    CApplicationApp(const CApplicationApp&) = delete;
    CApplicationApp& operator=(const CApplicationApp&) = delete;

    // The application object of the process (null before it is built and after it is gone).
    static CApplicationApp* Current();

    // Start-up, then shutdown; the process exit code. --help and --version (and an unknown
    // argument) are answered on the terminal without starting anything.
    int Run(int argc, char** argv);
    // Start-up and the main window's run. Returns false always: there is no loop after it.
    bool InitInstance();
    int ExitInstance();

    // Skin state: colours, fonts and picture paths (installed for every window).
    SkinSettings m_skin;
    // The page host, once it has initialised (pages route pager choices to it).
    QPointer<QObject> m_pPageHost;
    std::string m_strProgramDir;
    std::string m_strVersion;
    CNetManagement* m_pNetManagement = nullptr;
    CSqlManagement* m_pSqlManagement = nullptr;
    // The fleet inventory this copy writes while its main window runs (it holds the lock).
    std::shared_ptr<inventory::Inventory> m_inventory;

    // Where start-up takes the engine and the store from; unset: the process singletons (the
    // engine builds the store first). Tests put loopback objects here.
    std::function<CNetManagement&()> m_engineProvider;
    std::function<CSqlManagement&()> m_storeProvider;
    // Called once the main window is built, before it runs (tests drive it from here).
    std::function<void(CApplicationDlg&)> m_onMainWindow;
    // Whether the last start-up ran the main window.
    bool MainWindowRan() const { return m_bMainWindowRan; }

private:
    void ShowStoreMessage() const;

    int m_argc = 0;
    char** m_argv = nullptr;
    std::unique_ptr<platform::SingleInstance> m_instance;  // held until the process ends
    std::unique_ptr<QApplication> m_qtApp;
    bool m_bMainWindowRan = false;
};

}  // namespace cpe
