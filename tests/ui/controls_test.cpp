#include "tests/support/qt_app.h"

#include "ui/ct_button_picture.h"
#include "ui/ct_dialog.h"
#include "ui/ct_edit.h"
#include "ui/ct_multi_pages.h"
#include "ui/ct_static.h"
#include "ui/dialog_template.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/scroll_bitmap_wnd.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace cpe {
namespace {

// ---- pager --------------------------------------------------------------------------------

std::vector<int> Shown(int total, int current) {
    int count = 0;
    const auto v = CTMultiPages::ComputeSlots(total, current, &count);
    return std::vector<int>(v.begin(), v.begin() + count);
}

TEST(PagerSlots, FollowTheCurrentPage) {
    constexpr int E = CTMultiPages::kEllipsis;
    EXPECT_EQ(Shown(5, 1), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Shown(7, 7), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Shown(8, 1), (std::vector<int>{1, 2, 3, 4, 5, E, 8}));
    EXPECT_EQ(Shown(8, 4), (std::vector<int>{1, 2, 3, 4, 5, E, 8}));
    EXPECT_EQ(Shown(8, 6), (std::vector<int>{1, E, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Shown(20, 10), (std::vector<int>{1, E, 9, 10, 11, E, 20}));
    EXPECT_EQ(Shown(20, 16), (std::vector<int>{1, E, 15, 16, 17, E, 20}));
    EXPECT_EQ(Shown(20, 17), (std::vector<int>{1, E, 16, 17, 18, 19, 20}));
    EXPECT_TRUE(Shown(0, 1).empty());
    EXPECT_TRUE(Shown(-1, 1).empty());
}

// Records the pager choices that reach the notification object.
class PagerHost : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == PagerSelectEvent::EventType()) {
            auto* p = static_cast<PagerSelectEvent*>(e);
            received.emplace_back(p->OwnerPageId(), p->Page());
            return true;
        }
        return QObject::event(e);
    }
    std::vector<std::pair<int, int>> received;
};

class PagerClicks : public ::testing::Test {
protected:
    void SetUp() override {
        pager.resize(300, 24);
        pager.ResetPager(&host, 133);
        pager.m_nTotalPage = 20;
        pager.m_nCurPage = 10;
        pager.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pager));
        pager.UpdateLayout();
    }
    void Click(int slot) {
        QTest::mouseClick(&pager, Qt::LeftButton, {}, pager.SlotRect(slot).center());
        pager.UpdateLayout();
    }
    PagerHost host;
    CTMultiPages pager;
};

TEST_F(PagerClicks, OtherPageIsSelectedAndReportedWithTheOwner) {
    QSignalSpy spy(&pager, &CTMultiPages::PagerSelect);
    Click(6);  // 20
    EXPECT_EQ(pager.m_nCurPage, 20);
    ASSERT_EQ(host.received.size(), 1u);
    EXPECT_EQ(host.received[0], std::make_pair(133, 20));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(pager.Slots()[5], 19);  // the strip now ends 16 17 18 19 20
}

TEST_F(PagerClicks, CurrentPageAndEllipsisSendNothing) {
    Click(3);  // 10, the current page
    Click(1);  // ellipsis
    Click(5);  // ellipsis
    EXPECT_TRUE(host.received.empty());
    EXPECT_EQ(pager.m_nCurPage, 10);
}

TEST_F(PagerClicks, ReleaseOnAnotherSlotSendsNothing) {
    QTest::mousePress(&pager, Qt::LeftButton, {}, pager.SlotRect(0).center());
    QTest::mouseRelease(&pager, Qt::LeftButton, {}, pager.SlotRect(6).center());
    EXPECT_TRUE(host.received.empty());
}

TEST_F(PagerClicks, LayoutIsCentredAndSlotsAreAtLeast32Wide) {
    const QRect first = pager.SlotRect(0);
    const QRect last = pager.SlotRect(6);
    EXPECT_EQ(first.width(), 32);
    EXPECT_EQ(first.height(), 24);
    EXPECT_EQ(pager.SlotRect(1).left(), first.right() + 1 + 3);
    EXPECT_NEAR(first.left(), pager.width() - 1 - last.right(), 1);
}

TEST_F(PagerClicks, HoverFollowsThePointer) {
    QTest::mouseMove(&pager, pager.SlotRect(2).center());
    EXPECT_EQ(pager.HoverSlot(), 2);
    EXPECT_EQ(pager.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&pager, pager.SlotRect(3).center());  // current page
    EXPECT_EQ(pager.cursor().shape(), Qt::ArrowCursor);
}

// ---- picture button -----------------------------------------------------------------------

TEST(ButtonPlacement, TextOriginPerMode) {
    const QSize b(100, 30), t(40, 10);
    EXPECT_EQ(CTButtonPicture::TextOrigin(256, 30, b, t), QPoint(32, 10));
    EXPECT_EQ(CTButtonPicture::TextOrigin(512, 5, b, t), QPoint(53, 10));
    EXPECT_EQ(CTButtonPicture::TextOrigin(768, 0, b, t), QPoint(30, 10));
    EXPECT_EQ(CTButtonPicture::TextOrigin(1792, 0, b, t), QPoint(30, 0));
    EXPECT_EQ(CTButtonPicture::TextOrigin(2048, 0, b, t), QPoint(0, 20));
    EXPECT_EQ(CTButtonPicture::TextOrigin(2816, 0, b, t), QPoint(30, 20));
    EXPECT_EQ(CTButtonPicture::TextOrigin(1, 0, b, t), QPoint(0, 0));
    EXPECT_EQ(CTButtonPicture::TextOrigin(768, 0, QSize(20, 5), t), QPoint(0, 0));  // never negative
}

TEST(ButtonPlacement, PicturesShrinkButNeverStretch) {
    EXPECT_EQ(CTButtonPicture::PictureRect(QSize(10, 10), QSize(40, 20)), QRect(0, 0, 10, 10));
    EXPECT_EQ(CTButtonPicture::PictureRect(QSize(80, 10), QSize(40, 20)), QRect(0, 0, 40, 20));
    EXPECT_EQ(CTButtonPicture::PictureRect(QSize(10, 30), QSize(40, 20)), QRect(0, 0, 40, 20));
}

class ButtonPictures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Save("n.bmp", Qt::red, QSize(10, 10));
        Save("h.bmp", Qt::green, QSize(10, 10));
        Save("p.bmp", Qt::blue, QSize(200, 200));
        Save("d.bmp", Qt::gray, QSize(10, 10));
        button.resize(40, 20);
        button.SetImages(Path("n.bmp"), Path("h.bmp"), Path("p.bmp"), Path("d.bmp"));
    }
    void Save(const QString& name, QColor c, QSize s) {
        QImage img(s, QImage::Format_RGB32);
        img.fill(c);
        ASSERT_TRUE(img.save(Path(name)));
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QImage Render() {
        QImage img(button.size(), QImage::Format_RGB32);
        img.fill(Qt::white);
        button.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
        return img;
    }
    QTemporaryDir dir;
    CTButtonPicture button;
};

TEST_F(ButtonPictures, NormalPictureKeepsItsSize) {
    const QImage img = Render();
    EXPECT_EQ(img.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(30, 15), QColor(Qt::white));  // not stretched over the button
}

TEST_F(ButtonPictures, SelectedShowsThePressedPictureShrunk) {
    button.m_bSelected = true;
    const QImage img = Render();
    EXPECT_EQ(img.pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(38, 18), QColor(Qt::blue));
}

TEST_F(ButtonPictures, StatesFollowHoverPressAndEnable) {
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    QEvent away(QEvent::Leave);
    QApplication::sendEvent(&button, &away);
    EXPECT_EQ(button.DrawState(), CTButtonPicture::kNormal);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.DrawState(), CTButtonPicture::kHover);
    button.setDown(true);
    EXPECT_EQ(button.DrawState(), CTButtonPicture::kPressed);
    button.setDown(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.DrawState(), CTButtonPicture::kNormal);
    button.setEnabled(false);
    EXPECT_EQ(button.DrawState(), CTButtonPicture::kDisabled);
    EXPECT_EQ(Render().pixelColor(5, 5), QColor(Qt::gray));
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(ButtonPictures, AFailedPictureEndsTheList) {
    button.SetImages(Path("d.bmp"), Path("missing.bmp"), Path("n.bmp"), Path("n.bmp"));
    EXPECT_EQ(button.Picture(CTButtonPicture::kNormal).toImage().pixelColor(0, 0), QColor(Qt::gray));
    EXPECT_EQ(button.Picture(CTButtonPicture::kHover).toImage().pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(button.Picture(CTButtonPicture::kPressed).toImage().pixelColor(0, 0), QColor(Qt::blue));
}

TEST_F(ButtonPictures, ClickIsReported) {
    button.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}

// ---- search edit --------------------------------------------------------------------------

TEST(EditFilter, ModesAcceptTheirCharacterSets) {
    const QString none;
    EXPECT_TRUE(CTEdit::AcceptsChar(u'5', 1, none, false));
    EXPECT_FALSE(CTEdit::AcceptsChar(u'a', 1, none, false));
    EXPECT_TRUE(CTEdit::AcceptsChar(8, 1, none, false));   // Backspace
    EXPECT_TRUE(CTEdit::AcceptsChar(22, 1, none, false));  // Ctrl+V
    EXPECT_TRUE(CTEdit::AcceptsChar(u'a', 2, none, false));
    EXPECT_FALSE(CTEdit::AcceptsChar(u'5', 2, none, false));
    EXPECT_TRUE(CTEdit::AcceptsChar(u'Z', 3, none, false));
    EXPECT_FALSE(CTEdit::AcceptsChar(u'-', 3, none, false));
    EXPECT_TRUE(CTEdit::AcceptsChar(u'-', 0, none, false));
    EXPECT_FALSE(CTEdit::AcceptsChar(u'\'', 0, QStringLiteral("'\""), false));
    EXPECT_FALSE(CTEdit::AcceptsChar(3, 0, none, true));  // blocked Ctrl+C
    EXPECT_FALSE(CTEdit::AcceptsChar(26, 1, none, true));
    EXPECT_TRUE(CTEdit::AcceptsChar(8, 1, none, true));
}

TEST(EditFilter, TypedKeysObeyTheFilter) {
    CTEdit edit;
    edit.m_nFilterMode = CTEdit::kDigits;
    edit.show();
    QTest::keyClicks(&edit, "1a2b");
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("1"));

    edit.m_nFilterMode = CTEdit::kAnything;
    edit.m_strRefused = QStringLiteral("'");
    QTest::keyClicks(&edit, "x'y");
    EXPECT_EQ(edit.text(), QStringLiteral("1xy"));
}

TEST(EditFilter, PasteIsFilteredAndBlockable) {
    CTEdit edit;
    edit.m_nFilterMode = CTEdit::kDigits;
    edit.show();
    QApplication::clipboard()->setText(QStringLiteral("a1b2"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    edit.m_bBlock = true;
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
}

TEST(EditLook, DrawsABottomLine) {
    CTEdit edit;
    edit.resize(80, 20);
    QImage img(edit.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    edit.render(&img);
    EXPECT_EQ(img.pixelColor(40, 19), QColor(207, 207, 207));
}

// ---- label --------------------------------------------------------------------------------

TEST(SkinLabel, TransparentOrFilled) {
    CTStatic label;
    label.resize(60, 20);
    label.ApplyStaticStyle(QStringLiteral("Arial"), Rgb(255, 0, 0), Rgb(0, 0, 255), 0, 15);
    QImage img(label.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    label.render(&img);
    EXPECT_EQ(img.pixelColor(58, 18), QColor(Qt::white));
    label.m_bTransparent = false;
    label.render(&img);
    EXPECT_EQ(img.pixelColor(58, 18), QColor(Qt::blue));
}

// ---- skinned dialog -----------------------------------------------------------------------

TEST(SkinDialog, EnterAndEscapeNeverClose) {
    CTDialog dlg;
    dlg.resize(100, 80);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTest::keyClick(&dlg, Qt::Key_Enter);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);
}

TEST(SkinDialog, DragFromTheBackgroundMovesTheWindow) {
    CTDialog dlg;
    dlg.resize(100, 80);
    dlg.m_bDrag = true;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    const QPoint before = dlg.pos();
    QTest::mousePress(&dlg, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), dlg.mapToGlobal(QPointF(40, 30)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&dlg, &move);
    QTest::mouseRelease(&dlg, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(dlg.pos() - before, QPoint(30, 20));
}

TEST(SkinDialog, FillLinesAndRoundedRegion) {
    CTDialog dlg;
    dlg.resize(100, 80);
    dlg.m_bFill = true;
    dlg.m_crFill = Rgb(10, 20, 30);
    dlg.m_lines.push_back({0, 40, 99, 40});
    dlg.m_nRadius = 10;
    EXPECT_FALSE(dlg.RegionApplied());
    QImage img(dlg.size(), QImage::Format_RGB32);
    dlg.render(&img);
    EXPECT_EQ(img.pixelColor(50, 10), QColor(10, 20, 30));
    EXPECT_EQ(img.pixelColor(50, 40), QColor(218, 218, 218));
    EXPECT_TRUE(dlg.RegionApplied());
    EXPECT_FALSE(dlg.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(dlg.mask().contains(QPoint(50, 40)));
}

TEST(SkinDialog, BackgroundPictureIsStretched) {
    QTemporaryDir dir;
    QImage pic(4, 4, QImage::Format_RGB32);
    pic.fill(Qt::green);
    ASSERT_TRUE(pic.save(dir.filePath("bk.jpg")));
    CTDialog dlg;
    dlg.resize(100, 80);
    dlg.SetBkImage(dir.filePath("bk.jpg"));
    ASSERT_TRUE(dlg.HasBkImage());
    QImage img(dlg.size(), QImage::Format_RGB32);
    dlg.render(&img);
    const QColor c = img.pixelColor(90, 70);
    EXPECT_GT(c.green(), 200);
    EXPECT_LT(c.red(), 60);
}

// ---- templates ----------------------------------------------------------------------------

TEST(DialogTemplates, BuildPlacesControlsInDialogUnits) {
    QWidget page;
    ASSERT_TRUE(BuildDialog(&page, 133));
    EXPECT_EQ(page.size(), QSize(743, 601));
    auto* grid = DlgItem<CGridCtrl>(&page, 1015);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->geometry(), QRect(11, 41, 717, 502));
    EXPECT_EQ(grid->GetDlgCtrlID(), 1015);
    EXPECT_NE(DlgItem<CTMultiPages>(&page, 1016), nullptr);
    EXPECT_NE(DlgItem<CTEdit>(&page, 1009), nullptr);
    EXPECT_EQ(DlgItem<CTEdit>(&page, 1016), nullptr);
    for (int id : {102, 130, 129, 156, 139, 100, 133, 134, 135, 136, 137, 138, 155, 141,
                   144, 151, 152, 143, 157, 142, 145, 149, 147, 153, 146, 148, 140})
        EXPECT_NE(FindDialogTemplate(id), nullptr) << id;
    EXPECT_FALSE(BuildDialog(&page, 9999));
}

// ---- scroll picture -----------------------------------------------------------------------

TEST(ScrollPicture, BarsOnlyWhereThePictureOverflows) {
    CScrollBitmapWnd wnd;
    wnd.resize(200, 100);
    QPixmap pic(150, 400);
    pic.fill(Qt::red);
    wnd.SetPicture(pic);
    EXPECT_FALSE(wnd.HorizontalBar()->isVisibleTo(&wnd));
    EXPECT_TRUE(wnd.VerticalBar()->isVisibleTo(&wnd));
    EXPECT_EQ(wnd.VerticalBar()->singleStep(), 5);
    wnd.VerticalBar()->setValue(100000);
    EXPECT_EQ(wnd.ScrollOffset().y(), 400 - wnd.ViewRect().height());
    wnd.show();
    QTest::mouseClick(&wnd, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(wnd.LastClick(), QPoint(10, 10 + wnd.ScrollOffset().y()));
}

}  // namespace
}  // namespace cpe
