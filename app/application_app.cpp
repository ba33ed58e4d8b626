#include "app/application_app.h"

#include "app/application_dlg.h"
#include "app/command_line.h"

#include "app/engine_start_message.h"
#include "app/inventory_notices.h"
#include "app/quit_signals.h"
#include "app/window_placement.h"
#include "engine/net_management.h"
#include "inventory/inventory.h"
#include "lang/language.h"
#include "platform/system_info.h"
#include "store/sql_management.h"
#include "ui/message_box.h"

#include <QApplication>
#include <QTimer>

namespace cpe {
namespace {

CApplicationApp* g_app = nullptr;

}  // namespace

CApplicationApp::CApplicationApp() { g_app = this; }

CApplicationApp::~CApplicationApp() {
    if (&Skin() == &m_skin)
        InstallSkin(nullptr);
    if (g_app == this)
        g_app = nullptr;
}

CApplicationApp* CApplicationApp::Current() { return g_app; }

int CApplicationApp::Run(int argc, char** argv) {
    // --help and --version answer before anything starts: no lock, no display, no engine.
    if (const int status = AnswerCommandLine(ParseCommandLine(argc, argv)); status >= 0)
        return status;
    // The toolkit sees the program name only.
    m_argc = argc > 0 ? 1 : 0;
    m_argv = argv;
    InitInstance();
    return ExitInstance();
}

bool CApplicationApp::InitInstance() {
    m_bMainWindowRan = false;

    // A second copy ends here, silently, before it opens a window or touches the display; the
    // running copy is left alone.
    auto instance = std::make_unique<platform::SingleInstance>(kInstanceName);
    if (!instance->IsFirst())
        return false;
    m_instance = std::move(instance);

    if (!QCoreApplication::instance())
        m_qtApp = std::make_unique<QApplication>(m_argc, m_argv);
    // The run ends with the main window only; a popup closing while the main window sits in the
    // tray must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::string& programDir = platform::GetProgramDir();
    InitLanguage(programDir);

    LoadSkinSettings(m_skin, programDir, platform::VersionText());
    m_strVersion = m_skin.versionText;
    m_strProgramDir = programDir;
    InitSkinPaths(m_skin, programDir, LanguageLcid());
    InstallSkin(&m_skin);

    // An end from outside (a terminal, a logout, a script) is taken from before the store's
    // database file exists: it closes the main window once that runs, which deletes the file.
    CApplicationDlg* shownWindow = nullptr;
    bool quitAsked = false;
    QuitSignals quit([&shownWindow, &quitAsked] {
        quitAsked = true;
        if (shownWindow)
            shownWindow->OnOK();
    });

    // Building the engine builds the store (and its fresh database file) first. A failed start
    // (a port taken) leaves the pages without answers: the operator is told which port and that
    // no devices can be found, and the program runs on.
    CNetManagement& engine = m_engineProvider ? m_engineProvider() : CNetManagement::GetInstance();
    m_pNetManagement = &engine;
    if (const EngineStartResult started = engine.Start(); !started)
        ShowMessageBox(nullptr, EngineStartMessage(started), MessageIcon::kError);

    CSqlManagement& store = m_storeProvider ? m_storeProvider() : CSqlManagement::GetInstance();
    m_pSqlManagement = &store;
    if (store.OpenFailed())
        ShowStoreMessage();

    // This copy holds the lock, so it writes the inventory; the engine tells it what it hears.
    inventory::InventoryOptions inventoryOptions;
    inventoryOptions.frontEnd = "window";
    m_inventory = inventory::Inventory::OpenWriter(std::move(inventoryOptions));
    engine.SetDeviceObserver(m_inventory);
    {
        CApplicationDlg::Options windowOptions;
        windowOptions.placementFile = DefaultWindowPlacementFile();
        CApplicationDlg mainWindow(PageServices{engine, store, m_inventory.get()}, std::move(windowOptions));
        InventoryNotices notices(m_inventory, &mainWindow);
        shownWindow = &mainWindow;
        if (m_onMainWindow)
            m_onMainWindow(mainWindow);
        m_bMainWindowRan = true;
        if (quitAsked)
            QTimer::singleShot(0, &mainWindow, [&mainWindow] { mainWindow.OnOK(); });
        mainWindow.RunModal();
        shownWindow = nullptr;
    }
    // What is queued is written before the run ends; the engine may still report until exit.
    engine.SetDeviceObserver(nullptr);
    m_inventory.reset();
    return false;
}

int CApplicationApp::ExitInstance() {
    // The engine and the store stop at process exit, engine first; nothing of the toolkit is
    // used by them.
    m_qtApp.reset();
    return 0;
}

void CApplicationApp::ShowStoreMessage() const {
    ShowMessageBox(nullptr, QString::fromStdString(TranslateString(CSqlManagement::kOpenFailedKey)),
                   MessageIcon::kError);
}

}  // namespace cpe
