// Start-up and shutdown of the application object: the single-instance gate, the order of the
// steps, the store's and the engine's start-up messages, and the ways the run ends.
#include "tests/app/shell_fixture.h"

#include "app/application_app.h"
#include "app/application_dlg.h"
#include "app/command_line.h"

#include "app/engine_start_message.h"
#include "app/tray_icon.h"
#include "lang/language.h"
#include "platform/system_info.h"
#include "ui/message_box.h"

#include <QAction>
#include <QMessageBox>
#include <QTimer>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace cpe::test {
namespace {

using namespace std::chrono_literals;

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The instance lock lives in the runtime folder: a private one per test; so does the
        // window's remembered size, in the settings folder.
        for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"}) {
            const char* old = std::getenv(name);
            oldEnv_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            ::setenv(name, services_.Dir().c_str(), 1);
        }
    }
    void TearDown() override {
        for (const auto& [name, old] : oldEnv_) {
            if (old)
                ::setenv(name, old->c_str(), 1);
            else
                ::unsetenv(name);
        }
    }

    // Start-up takes the loopback engine and store and records when it asks for them.
    void Provide(CApplicationApp& app, LoopbackServices& services) {
        app.m_engineProvider = [this, &services]() -> CNetManagement& {
            steps_.push_back("engine");
            return services.Engine();
        };
        app.m_storeProvider = [this, &services]() -> CSqlManagement& {
            steps_.push_back("store");
            return services.Store();
        };
    }

    LoopbackServices services_;
    std::vector<std::pair<const char*, std::optional<std::string>>> oldEnv_;
    std::vector<std::string> steps_;
};

TEST_F(StartupTest, ASecondCopyEndsSilentlyBeforeTouchingAnything) {
    platform::SingleInstance first(CApplicationApp::kInstanceName);
    ASSERT_TRUE(first.HoldsLock());

    CApplicationApp app;
    Provide(app, services_);
    app.m_onMainWindow = [](CApplicationDlg& w) {
        ADD_FAILURE() << "the second copy opened its main window";
        QTimer::singleShot(0, &w, [&w] { w.OnOK(); });
    };
    EXPECT_FALSE(app.InitInstance());
    EXPECT_FALSE(app.MainWindowRan());
    EXPECT_TRUE(steps_.empty()) << "the engine or the store was built";
    EXPECT_EQ(app.m_pNetManagement, nullptr);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST_F(StartupTest, RunsTheStepsInOrderAndHoldsTheInstanceLockUntilItEnds) {
    {
        CApplicationApp app;
        Provide(app, services_);
        app.m_onMainWindow = [&](CApplicationDlg& w) {
            steps_.push_back("window");
            EXPECT_EQ(&Skin(), &app.m_skin) << "the skin is not installed before the windows";
            EXPECT_NE(services_.Engine().LocalPort(SocketRole::kRequest), 0) << "the engine was not started";
            EXPECT_EQ(app.m_pPageHost, w.m_pChildDlg);
            EXPECT_FALSE(platform::SingleInstance(CApplicationApp::kInstanceName).IsFirst());
            QTimer::singleShot(0, &w, [&w] { w.Tray()->ExitAction()->trigger(); });
        };
        EXPECT_FALSE(app.InitInstance());
        EXPECT_TRUE(app.MainWindowRan());
        EXPECT_EQ(steps_, (std::vector<std::string>{"engine", "store", "window"}));
        EXPECT_EQ(app.m_pNetManagement, &services_.Engine());
        EXPECT_EQ(app.m_pSqlManagement, &services_.Store());
        EXPECT_EQ(app.m_strVersion, platform::VersionText());
        EXPECT_EQ(app.m_strProgramDir, platform::GetProgramDir());
        EXPECT_EQ(app.m_skin.programDir, platform::GetProgramDir());
        // The main window is gone; the engine keeps running until the process ends.
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
        EXPECT_NE(services_.Engine().LocalPort(SocketRole::kRequest), 0);
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    EXPECT_TRUE(platform::SingleInstance(CApplicationApp::kInstanceName).IsFirst()) << "lock kept after exit";
    EXPECT_NE(&Skin(), nullptr);
}

TEST_F(StartupTest, HelpVersionAndUnknownArgumentsAnswerOnTheTerminalWithoutStartingAnything) {
    struct Case {
        std::vector<const char*> args;
        int status;
        std::string out;       // all of standard output
        std::string errStart;  // how standard error begins
    };
    const std::string help = CommandLineHelp();
    const std::string version = std::string("cpe-manager ") + platform::VersionText().substr(1) + "\n";
    const std::vector<Case> cases = {
        {{"--version"}, 0, version, ""},
        {{"--help"}, 0, help, ""},
        {{"-h"}, 0, help, ""},
        {{"--version", "--help"}, 0, help, ""},
        {{"--frobnicate"}, 2, "", "cpe-manager: unknown argument '--frobnicate'\nUsage: cpe-manager"},
        {{"--version", "extra"}, 2, "", "cpe-manager: unknown argument 'extra'\n"},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv{const_cast<char*>("cpe-manager")};
        for (const char* a : c.args)
            argv.push_back(const_cast<char*>(a));
        CApplicationApp app;
        Provide(app, services_);
        app.m_onMainWindow = [](CApplicationDlg& w) {
            ADD_FAILURE() << "an answered command line opened the main window";
            QTimer::singleShot(0, &w, [&w] { w.OnOK(); });
        };
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int status = app.Run(static_cast<int>(argv.size()), argv.data());
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::string err = ::testing::internal::GetCapturedStderr();
        SCOPED_TRACE(c.args.front());
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_TRUE(steps_.empty()) << "the engine or the store was built";
        EXPECT_TRUE(platform::SingleInstance(CApplicationApp::kInstanceName).IsFirst()) << "the lock was taken";
    }
}

TEST_F(StartupTest, ATerminationSignalClosesTheMainWindowInOrder) {
    CApplicationApp app;
    Provide(app, services_);
    app.m_onMainWindow = [](CApplicationDlg& w) { QTimer::singleShot(20, &w, [] { std::raise(SIGTERM); }); };
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(app.MainWindowRan());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    // The default disposition is back once the window is gone.
    struct sigaction now = {};
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

// Ended while it starts, after the store's file exists but before the main window: the window
// still runs, closes at once, and the run ends in order instead of dying with the file left behind.
TEST_F(StartupTest, ATerminationSignalDuringStartUpEndsTheRunInOrder) {
    CApplicationApp app;
    Provide(app, services_);
    const auto store = app.m_storeProvider;
    app.m_storeProvider = [store]() -> CSqlManagement& {
        std::raise(SIGTERM);
        return store();
    };
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(app.MainWindowRan());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(StartupTest, AStoreThatCannotOpenShowsItsMessageOnceBeforeTheMainWindow) {
    LoopbackServices broken(services_.Dir() / "no-such-folder" / "data.mdb");
    ASSERT_TRUE(broken.Store().OpenFailed());

    CApplicationApp app;
    Provide(app, broken);
    std::vector<std::string> messages;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            messages.push_back(box->text().toStdString());
            steps_.push_back("message");
            box->accept();
        }
    });
    watcher.start(10);
    app.m_onMainWindow = [&](CApplicationDlg& w) {
        steps_.push_back("window");
        QTimer::singleShot(0, &w, [&w] { w.OnOK(); });
    };
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(steps_, (std::vector<std::string>{"engine", "store", "message", "window"}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], TranslateString(CSqlManagement::kOpenFailedKey));
}

// A UDP port on 127.0.0.1 held the way another program holds it: without address reuse.
class HeldPort {
public:
    HeldPort() {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t size = sizeof a;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &size);
        m_port = ntohs(a.sin_port);
    }
    ~HeldPort() { ::close(m_fd); }
    std::uint16_t Port() const { return m_port; }

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

TEST_F(StartupTest, AnEngineThatCannotStartNamesThePortAndTheProgramRunsOn) {
    HeldPort held;
    ASSERT_NE(held.Port(), 0);
    EngineEndpoints endpoints = LoopbackEngineConfig().endpoints;
    endpoints.searchReplyPort = held.Port();
    LoopbackServices blocked({}, endpoints);

    CApplicationApp app;
    Provide(app, blocked);
    std::vector<MessageBoxRequest> boxes;
    SetMessageBoxHook([&](const MessageBoxRequest& r) {
        boxes.push_back(r);
        steps_.push_back("message");
        return int(IDOK);
    });
    app.m_onMainWindow = [&](CApplicationDlg& w) {
        steps_.push_back("window");
        QTimer::singleShot(0, &w, [&w] { w.OnOK(); });
    };
    EXPECT_FALSE(app.InitInstance());
    SetMessageBoxHook({});
    EXPECT_TRUE(app.MainWindowRan());
    EXPECT_EQ(steps_, (std::vector<std::string>{"engine", "message", "store", "window"}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, MessageIcon::kError);
    const std::string port = std::to_string(held.Port());
    EXPECT_EQ(boxes[0].text.toStdString(), "UDP port " + port +
                                               " is used by another program, so no devices can be found. Close that "
                                               "program and start this one again.");
    // The discovery socket opened before the failure stays; the program simply finds nothing.
    EXPECT_NE(blocked.Engine().LocalPort(SocketRole::kDiscovery), 0);
    EXPECT_EQ(blocked.Engine().LocalPort(SocketRole::kHeartbeat), 0);
}

// The message as the real box shows it, saved to CPE_SHOT_DIR.
void SaveMessageShot(const QString& text, const char* name) {
    QTimer::singleShot(50, [name] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        const std::filesystem::path dir = CPE_SHOT_DIR;
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(box->grab().save(QString::fromStdString((dir / name).string())));
        box->close();
    });
    ShowMessageBox(nullptr, text, MessageIcon::kExclamation);
}

TEST(EngineStartMessage, NamesThePortInEitherLanguageAndTakesNoConversionsFromTheTranslation) {
    using Step = EngineStartResult::Step;
    const EngineStartResult inUse{Step::kBind, SocketRole::kHeartbeat, 9787, EADDRINUSE};
    const EngineStartResult refused{Step::kSocketOption, SocketRole::kRequest, 9788, ENOBUFS};
    const EngineStartResult noThreads{Step::kThread, SocketRole::kDiscovery, 0, EAGAIN};
    EXPECT_TRUE(EngineStartMessage(EngineStartResult{}).isEmpty());

    InitLanguage(CPE_SOURCE_DIR "/resources/", 2052);
    const QString chinese = EngineStartMessage(inUse);
    EXPECT_TRUE(chinese.contains(QStringLiteral("9787"))) << chinese.toStdString();
    EXPECT_TRUE(chinese.contains(QStringLiteral("占用"))) << chinese.toStdString();
    EXPECT_FALSE(chinese.contains(QStringLiteral("%d")));
    SaveMessageShot(chinese, "engine-port-in-use-2052.png");

    InitLanguage(CPE_SOURCE_DIR "/resources/", 1033);
    SaveMessageShot(EngineStartMessage(inUse), "engine-port-in-use-1033.png");
    EXPECT_EQ(EngineStartMessage(refused).toStdString(), std::string("UDP port 9788 cannot be opened (") +
                                                             std::strerror(ENOBUFS) + "), so no devices can be found.");
    EXPECT_EQ(EngineStartMessage(noThreads).toStdString(), std::string("The network engine cannot start (") +
                                                               std::strerror(EAGAIN) +
                                                               "), so no devices can be found.");

    // A translation with more placeholders than the message fills keeps them as text.
    TempDir dir;
    std::filesystem::create_directories(dir / "Languages");
    std::ofstream(dir / "Languages" / "Language.ini") << "[LCID]\n1031=Deutsch\n";
    std::ofstream(dir / "Languages" / "Deutsch.lng") << "[ProgramOutStr]\n"
                                                     << kEnginePortFailedKey << "=%s %s %d %n %d\n";
    InitLanguage(dir.dirText(), 1031);
    EXPECT_EQ(EngineStartMessage(refused).toStdString(), std::string(std::strerror(ENOBUFS)) + " %s 9788 %n %d");
    InitLanguage(platform::GetProgramDir());
}

}  // namespace
}  // namespace cpe::test
