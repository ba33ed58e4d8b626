#include "tests/support/qt_app.h"

#include "lang/language.h"
#include "ui/ct_button_picture.h"
#include "ui/ct_dialog.h"
#include "ui/dialog_template.h"
#include "ui/translate_window.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

namespace cpe {
namespace {

// A program folder with a Chinese language file selected for locale 2052.
class Translation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        ASSERT_TRUE(s_dir->isValid());
        QDir(s_dir->path()).mkdir(QStringLiteral("Languages"));
        Write("Languages/Language.ini", "[LCID]\n2052=Chinese\n");
        Write("Languages/Chinese.lng", "[ProgramOutStr]\n"
                                       "Device status=设备状态\n"
                                       "SEARCH=搜索\n"
                                       "Settings=设置\n"
                                       "Hidden=[~NullInfoVexa~]\n"
                                       "Auto=自动\n"
                                       "Manual=手动\n"
                                       "Exit=退出\n"
                                       "Tools=工具\n"
                                       "Each page number=每页数量\n");
        ASSERT_TRUE(InitLanguage((s_dir->path() + QLatin1Char('/')).toStdString(), 2052));
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    static void Write(const char* name, const char* text) {
        QFile f(s_dir->filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    static QTemporaryDir* s_dir;
};

QTemporaryDir* Translation::s_dir = nullptr;

TEST_F(Translation, DialogTextsAreTranslatedOnceAndFiltersApply) {
    CTDialog dlg;
    dlg.setWindowTitle(QStringLiteral("Settings"));
    auto* title = new QLabel(QStringLiteral("Device status"), &dlg);
    auto* button = new CTButtonPicture(&dlg);
    button->SetButtonText(QStringLiteral("Search"));
    auto* hidden = new QLabel(QStringLiteral("Hidden"), &dlg);
    auto* dots = new QPushButton(QStringLiteral("..."), &dlg);
    auto* edit = new QLineEdit(QStringLiteral("Auto"), &dlg);
    auto* unknown = new QLabel(QStringLiteral("No entry"), &dlg);

    TranslateWindow(&dlg);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("设置"));
    EXPECT_EQ(title->text(), QStringLiteral("设备状态"));
    EXPECT_EQ(button->text(), QStringLiteral("搜索"));    // key case does not matter
    EXPECT_EQ(hidden->text(), QStringLiteral("Hidden"));  // empty translation keeps the text
    EXPECT_EQ(dots->text(), QStringLiteral("..."));
    EXPECT_EQ(edit->text(), QStringLiteral("Auto"));  // entry fields are left alone
    EXPECT_EQ(unknown->text(), QStringLiteral("No entry"));

    // A second pass changes nothing, even where a translated text is itself a key.
    title->setText(QStringLiteral("Settings"));
    TranslateWindow(&dlg);
    EXPECT_EQ(title->text(), QStringLiteral("Settings"));

    // A widget added later is translated by the next pass.
    auto* late = new QLabel(QStringLiteral("Device status"), &dlg);
    TranslateWindow(&dlg);
    EXPECT_EQ(late->text(), QStringLiteral("Device status"));  // the dialog itself was done
    TranslateWindow(late);
    EXPECT_EQ(late->text(), QStringLiteral("设备状态"));
}

TEST_F(Translation, TemplateDialogGetsTranslated) {
    QWidget page;
    ASSERT_TRUE(BuildDialog(&page, 133));
    auto* combo = DlgItem<QComboBox>(&page, 1013);
    ASSERT_NE(combo, nullptr);
    combo->addItems({QStringLiteral("15"), QStringLiteral("30")});
    combo->setCurrentIndex(1);
    TranslateWindow(&page);
    EXPECT_EQ(DlgItem<QWidget>(&page, 1014)->property("text").toString(), QStringLiteral("每页数量"));
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("30"));
}

TEST_F(Translation, ComboKeepsSelectionAndItemData) {
    QComboBox combo;
    combo.addItem(QStringLiteral("Auto"), 15);
    combo.addItem(QStringLiteral("Manual"), 30);
    combo.setCurrentIndex(1);
    TranslateComboBox(&combo);
    EXPECT_EQ(combo.itemText(0), QStringLiteral("自动"));
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("手动"));
    EXPECT_EQ(combo.itemData(1).toInt(), 30);

    QComboBox none;
    none.addItem(QStringLiteral("Auto"));
    none.setCurrentIndex(-1);
    TranslateComboBox(&none);
    EXPECT_EQ(none.currentIndex(), -1);
}

TEST_F(Translation, MenuAndSubmenuItems) {
    QMenu menu;
    menu.addAction(QStringLiteral("Exit"));
    menu.addSeparator();
    QMenu* sub = menu.addMenu(QStringLiteral("Tools"));
    sub->addAction(QStringLiteral("Settings"));
    TranslateMenu(&menu);
    EXPECT_EQ(menu.actions().at(0)->text(), QStringLiteral("退出"));
    EXPECT_EQ(sub->title(), QStringLiteral("工具"));
    EXPECT_EQ(sub->actions().at(0)->text(), QStringLiteral("设置"));
}

}  // namespace
}  // namespace cpe
