// The main window: its shape, its title buttons, the keys it ignores, hiding to the tray and
// coming back, the ways its run ends, the help menu and the About box.
#include "tests/app/shell_fixture.h"

#include "app/about_dlg.h"
#include "app/application_dlg.h"
#include "app/help_menu.h"
#include "app/menu_dlg.h"
#include "app/tray_icon.h"
#include "app/window_placement.h"
#include "lang/language.h"
#include "platform/system_info.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_static.h"
#include "ui/scroll_bitmap_wnd.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <fstream>

namespace cpe::test {
namespace {

using namespace std::chrono_literals;

class MainWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<CApplicationDlg> Make(bool tray) {
        return std::make_unique<CApplicationDlg>(services_.Services(),
                                                 CApplicationDlg::Options{CountingPages(), tray, {}});
    }

    // Runs the window modally with `action` posted into its loop; the run's result, or -1 when
    // the loop did not end within the limit.
    int RunWith(CApplicationDlg& window, const std::function<void()>& action, std::chrono::milliseconds limit = 3s) {
        bool timedOut = false;
        QTimer::singleShot(0, &window, action);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &window, [&] {
            timedOut = true;
            window.done(QDialog::Rejected);
        });
        guard.start(limit);
        const int result = window.RunModal();
        return timedOut ? -1 : result;
    }

    LoopbackServices services_;
};

TEST_F(MainWindowTest, IsABorderlessWindowThatGrowsFromItsTemplateSizeWithBothPanelsBelowTheBanner) {
    auto w = Make(false);
    // The template's width; the height grows so the panels below the banner fit whole.
    EXPECT_EQ(w->width(), DialogUnitsToPixels(QSize(584, 415)).width());
    EXPECT_EQ(w->height(), 86 + DialogUnitsToPixels(QSize(490, 372)).height());
    EXPECT_EQ(w->minimumSize(), w->size()) << "the default size is the smallest";
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w->m_nRadius, CApplicationDlg::kCornerRadius);
    EXPECT_TRUE(w->m_bDrag);
    EXPECT_EQ(w->m_pMenuDlg->pos(), QPoint(0, 86));
    EXPECT_EQ(w->m_pChildDlg->pos(), QPoint(w->m_pMenuDlg->width(), 86));
    EXPECT_EQ(w->m_pMenuDlg->size(), DialogUnitsToPixels(QSize(91, 372)));
    EXPECT_EQ(w->m_pChildDlg->size(), QSize(w->width() - w->m_pMenuDlg->width(), w->m_pMenuDlg->height()));

    // Grown, the page host and its pages take the new room; the title buttons keep to the right.
    const QPoint closeFromRight = QPoint(w->width(), 0) - w->TitleButton(CApplicationDlg::kCloseButtonId)->pos();
    w->show();
    w->resize(1600, 1000);
    EXPECT_EQ(w->m_pChildDlg->geometry(), QRect(w->m_pMenuDlg->width(), 86, 1600 - w->m_pMenuDlg->width(), 914));
    EXPECT_EQ(w->m_pMenuDlg->height(), 914);
    for (const int id : {139})
        EXPECT_EQ(w->m_pChildDlg->PageById(id)->size(), w->m_pChildDlg->size());
    EXPECT_EQ(QPoint(w->width(), 0) - w->TitleButton(CApplicationDlg::kCloseButtonId)->pos(), closeFromRight);
    w->resize(100, 100);
    EXPECT_EQ(w->size(), w->minimumSize()) << "never below the template";
}

TEST_F(MainWindowTest, RemembersItsSizeAndMaximisedStateInTheUsersSettingsAndDistrustsWhatItFinds) {
    TempDir settings;
    const std::filesystem::path file = settings.path() / "cpe-manager" / "window.ini";
    const QSize minimum(876, 644);
    const QSize screen(1920, 1080);
    EXPECT_EQ(StartPlacement(LoadWindowPlacement(file), minimum, screen).size, minimum) << "nothing remembered";

    ASSERT_TRUE(SaveWindowPlacement(file, {QSize(1200, 800), true}));
    WindowPlacement start = StartPlacement(LoadWindowPlacement(file), minimum, screen);
    EXPECT_EQ(start.size, QSize(1200, 800));
    EXPECT_TRUE(start.maximized);

    const char* absurd[][2] = {{"5000", "800"}, {"-1200", "800"},       {"1200", "12x"},
                               {"", "800"},     {"99999999999", "800"}, {"400", "300"}};
    for (const auto& [width, height] : absurd) {
        std::ofstream(file) << "[MainWindow]\nWidth=" << width << "\nHeight=" << height << "\nMaximized=0\n";
        start = StartPlacement(LoadWindowPlacement(file), minimum, screen);
        EXPECT_EQ(start.size, minimum) << width << " x " << height;
        EXPECT_FALSE(start.maximized);
    }
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_EQ(StartPlacement(LoadWindowPlacement(file), minimum, screen).size, minimum) << "a folder in its place";

    // The window writes its placement as it closes and takes it back at the next start.
    std::filesystem::remove(file);
    {
        CApplicationDlg::Options options{CountingPages(), false, file};
        CApplicationDlg w(services_.Services(), options);
        w.resize(w.minimumWidth() + 100, w.minimumHeight() + 50);
        w.done(QDialog::Accepted);
    }
    CApplicationDlg::Options options{CountingPages(), false, file};
    const std::optional<WindowPlacement> written = LoadWindowPlacement(file);
    ASSERT_TRUE(written);
    EXPECT_FALSE(written->maximized);
    CApplicationDlg again(services_.Services(), options);
    EXPECT_EQ(written->size, again.minimumSize() + QSize(100, 50));
    // Taken back unless this screen is too small for it.
    EXPECT_EQ(again.size(),
              StartPlacement(written, again.minimumSize(), QGuiApplication::primaryScreen()->availableGeometry().size())
                  .size);
}

TEST_F(MainWindowTest, MenuButtonsRunTopToBottomInPageOrderWithTheVersionBelow) {
    auto w = Make(false);
    const char* keys[] = {"Device status",  "Device management", "Device bridge", "Device reboot", "Device upgrade",
                          "Device restore", "Inventory",         "System tool",   "Install Help"};
    int lastY = -1;
    for (std::size_t i = 0; i < CMenuDlg::kButtonIds.size(); ++i) {
        CTButtonPicture* b = w->m_pMenuDlg->Button(CMenuDlg::kButtonIds[i]);
        EXPECT_GT(b->y(), lastY);
        lastY = b->y();
        EXPECT_EQ(b->text().toStdString(), TranslateString(keys[i]));
    }
    EXPECT_EQ(w->m_pMenuDlg->VersionLabel()->text().toStdString(), platform::VersionText());
}

TEST_F(MainWindowTest, EnterAndEscapeLeaveTheWindowRunning) {
    auto w = Make(true);
    const int result = RunWith(*w, [&] {
        for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(w.get(), static_cast<Qt::Key>(key));
            QTest::keyClick(w->m_pChildDlg->PageAt(0), static_cast<Qt::Key>(key));
        }
        QTimer::singleShot(50, w.get(), [&] {
            EXPECT_TRUE(w->isVisible());
            w->OnOK();
        });
    });
    EXPECT_EQ(result, QDialog::Accepted) << "a key ended the run";
}

TEST_F(MainWindowTest, MinimiseHidesToTheTrayWithoutEndingTheRunAndShowUtilityBringsItBack) {
    auto w = Make(true);
    bool hiddenSeen = false;
    const int result = RunWith(*w, [&] {
        QTest::mouseClick(w->TitleButton(1002), Qt::LeftButton);
        hiddenSeen = !w->isVisible();
        QTimer::singleShot(100, w.get(), [&] {
            // Still in the run although hidden; pages and timers go on.
            EXPECT_TRUE(w->m_pChildDlg->AutoRefreshRunning());
            w->Tray()->ShowAction()->trigger();
            EXPECT_TRUE(w->isVisible());
            w->Tray()->ExitAction()->trigger();
        });
    });
    EXPECT_TRUE(hiddenSeen);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindowTest, WithoutATrayMinimiseMinimisesInsteadOfHiding) {
    auto w = Make(false);
    w->show();
    w->OnMinimize();
    EXPECT_TRUE(w->isVisible()) << "hidden with no tray to bring it back";
    EXPECT_TRUE(w->isMinimized() || w->windowState().testFlag(Qt::WindowMinimized));
    w->ShowFromTray(true);
    EXPECT_FALSE(w->isMinimized());
}

TEST_F(MainWindowTest, TheCloseButtonAndAWindowManagerCloseEndTheRun) {
    auto w = Make(false);
    EXPECT_EQ(RunWith(*w, [&] { QTest::mouseClick(w->TitleButton(1000), Qt::LeftButton); }), QDialog::Accepted);
    auto w2 = Make(false);
    EXPECT_NE(RunWith(*w2, [&] { w2->close(); }), -1);
}

TEST_F(MainWindowTest, HelpAddressesResolveRelativeFilesAgainstTheProgramFolder) {
    const std::string dir = services_.Dir().string() + "/";
    std::filesystem::create_directories(services_.Dir() / "help");
    std::ofstream(services_.Dir() / "help" / "index.html") << "<html></html>";

    const QUrl local = ResolveHelpAddress("help/index.html#support", dir);
    EXPECT_TRUE(local.isLocalFile());
    EXPECT_EQ(local.toLocalFile().toStdString(), dir + "help/index.html");
    EXPECT_EQ(local.fragment().toStdString(), "support");
    EXPECT_EQ(ResolveHelpAddress("file:help/index.html", dir).toLocalFile().toStdString(), dir + "help/index.html");

    EXPECT_EQ(ResolveHelpAddress("https://example.com/support?x=1", dir).toString().toStdString(),
              "https://example.com/support?x=1");
    // An untranslated key, a missing file and blank text open nothing.
    EXPECT_TRUE(ResolveHelpAddress("Product_url", dir).isEmpty());
    EXPECT_TRUE(ResolveHelpAddress("help/missing.html", dir).isEmpty());
    EXPECT_TRUE(ResolveHelpAddress("   ", dir).isEmpty());
}

TEST_F(MainWindowTest, TheBannerMenuOpensTheAboutBoxWhichItsOkButtonCloses) {
    auto w = Make(false);
    auto menu = w->MakeSystemMenu();
    ASSERT_EQ(menu->actions().size(), 3) << "maximise, a separator, About";
    EXPECT_EQ(menu->actions()[0]->text(), "Maximize");
    bool aboutSeen = false;
    QTimer::singleShot(0, w.get(), [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        aboutSeen = true;
        auto* name = DlgItem<QLabel>(about, ids::about::kProgramName);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text().toStdString(), "CPEManagement " + platform::VersionText());
        QTest::mouseClick(DlgItem<QPushButton>(about, 1), Qt::LeftButton);
    });
    menu->actions()[2]->trigger();
    EXPECT_TRUE(aboutSeen);
}

TEST_F(MainWindowTest, InstallHelpPageKeepsItsPictureWindowInsideThePage) {
    auto w = Make(false);
    auto* page = dynamic_cast<CInstallHelpDlg*>(w->m_pChildDlg->PageById(139));
    ASSERT_NE(page, nullptr);
    CScrollBitmapWnd* picture = page->Picture();
    EXPECT_EQ(DlgItemWidget(page, 102), picture);
    EXPECT_EQ(picture->pos(), QPoint(5, 5));
    // Shown in a grown window, the picture window grows with the page and keeps its margin.
    w->show();
    w->resize(1400, 900);
    w->m_pChildDlg->ShowPageSlot(6);
    EXPECT_EQ(picture->geometry(), page->rect().adjusted(5, 5, -5, -5));
    EXPECT_FALSE(DlgItemWidget(page, 1130)->isVisibleTo(page));
}

}  // namespace
}  // namespace cpe::test
