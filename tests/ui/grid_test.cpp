#include "tests/support/qt_app.h"

#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_styles.h"
#include "ui/grid/image_list.h"
#include "ui/grid/title_tip.h"
#include "ui/skin_qt.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace cpe {
namespace {

struct Note {
    int code, row, col;
    bool operator==(const Note&) const = default;
};

// A page that records the grid's notifications and may refuse edits.
class Page : public QWidget {
public:
    bool event(QEvent* e) override {
        if (e->type() == GridNotifyEvent::EventType()) {
            auto* n = static_cast<GridNotifyEvent*>(e);
            notes.push_back({n->Notify().code, n->Notify().iRow, n->Notify().iColumn});
            if (n->Notify().code == LVN_BEGINLABELEDITW && refuseBegin)
                n->SetResult(-1);
            if (n->Notify().code == LVN_ENDLABELEDITW && refuseEnd)
                n->SetResult(-1);
            return true;
        }
        return QWidget::event(e);
    }
    int Count(int code) const {
        return static_cast<int>(
            std::count_if(notes.begin(), notes.end(), [code](const Note& n) { return n.code == code; }));
    }
    std::vector<Note> notes;
    bool refuseBegin = false;
    bool refuseEnd = false;
};

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(500, 300);
        grid = new CGridCtrl(&page);
        grid->setGeometry(0, 0, 500, 300);
        grid->SetDlgCtrlID(1015);
        ApplyListGridStyle(*grid);
        grid->SetColumnCount(3);
        grid->SetFixedRowCount(1);
        SetTitleCell(*grid, 0, 60, QStringLiteral("Serial"));
        SetTitleCell(*grid, 1, 120, QStringLiteral("Location"));
        SetTitleCell(*grid, 2, 200, QStringLiteral("IP"));
        Fill(5);
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }
    void Fill(int rows) {
        grid->DeleteNonFixedRows();
        grid->SetRowCount(rows + 1);
        for (int r = 1; r <= rows; ++r) {
            SetDataCell(*grid, r, 0, QString::number(r), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            SetDataCell(*grid, r, 1, QStringLiteral("ap-%1").arg(r), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            SetOnlineCell(*grid, r, 2, QStringLiteral("192.168.1.%1").arg(r), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    QPoint Centre(int row, int col) const { return grid->CellRect(row, col).center(); }
    QWidget* View() const { return grid->viewport(); }
    void Click(int row, int col, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(View(), Qt::LeftButton, mods, Centre(row, col));
    }
    void MoveTo(int row, int col) { QTest::mouseMove(View(), Centre(row, col)); }

    Page page;
    CGridCtrl* grid = nullptr;
};

TEST_F(GridFixture, StyledCellsUseTheSkin) {
    const SkinSettings& s = Skin();
    EXPECT_EQ(grid->GetCell(0, 1)->GetTextClr(), s.gridTitleTextColor);
    EXPECT_EQ(grid->GetCell(0, 1)->GetBackClr(), s.gridTitleBkColor);
    EXPECT_EQ(grid->GetColumnWeight(1), 120);
    EXPECT_TRUE(grid->ColumnsFillWidth());
    EXPECT_EQ(grid->GetRowHeight(3), 26);
    EXPECT_EQ(grid->GetCell(3, 1)->GetTextClr(), s.gridTextColor);
    EXPECT_EQ(grid->GetCell(3, 2)->GetTextClr(), s.textOnlineColor);
    SetOfflineCell(*grid, 3, 1, QStringLiteral("x"), DT_LEFT);
    EXPECT_EQ(grid->GetCell(3, 1)->GetTextClr(), s.textUnlineColor);
    EXPECT_TRUE(grid->GetCell(0, 0)->IsFixedRow());
    EXPECT_FALSE(grid->GetCell(1, 0)->IsFixed());
    EXPECT_EQ(grid->GetItemText(9, 9), QString());
    EXPECT_EQ(grid->GetCell(-1, 0), nullptr);
    EXPECT_FALSE(grid->SetItemText(6, 0, QStringLiteral("out")));
}

TEST_F(GridFixture, HeaderRowPaintsWhiteWithAnOrangeBottomLine) {
    QImage img(grid->viewport()->size(), QImage::Format_RGB32);
    grid->viewport()->render(&img);
    const QRect header = grid->CellRect(0, 1);
    EXPECT_EQ(img.pixelColor(header.left() + 3, header.top() + 2), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(header.center().x() - 40, header.bottom()), QColor(237, 112, 32));
}

TEST_F(GridFixture, ClickReportsRowAndColumnInOrder) {
    QSignalSpy command(grid, &CGridCtrl::Command);
    Click(2, 1);
    const std::vector<Note> expected{{LVN_ITEMCHANGING, 2, 1}, {LVN_ITEMCHANGED, 2, 1}, {NM_CLICK, 2, 1}};
    EXPECT_EQ(page.notes, expected);
    ASSERT_EQ(command.count(), 1);
    EXPECT_EQ(command.at(0).at(0).toInt(), 1015);
    EXPECT_TRUE(grid->IsCellSelected(2, 1));
    EXPECT_EQ(grid->GetFocusCell(), (CCellID{2, 1}));
}

TEST_F(GridFixture, HeaderClickIsAClickOnRowZeroAndSortsNothing) {
    Click(0, 2);
    EXPECT_EQ(page.Count(NM_CLICK), 1);
    EXPECT_EQ(page.notes.back(), (Note{NM_CLICK, 0, 2}));
    EXPECT_EQ(grid->GetItemText(1, 2), QStringLiteral("192.168.1.1"));
    EXPECT_EQ(grid->GetSortColumn(), -1);
}

TEST_F(GridFixture, DoubleAndRightClicks) {
    QTest::mouseDClick(View(), Qt::LeftButton, {}, Centre(3, 0));
    EXPECT_EQ(page.Count(NM_DBLCLK), 1);
    QTest::mouseClick(View(), Qt::RightButton, {}, Centre(4, 2));
    EXPECT_EQ(page.notes.back(), (Note{NM_RCLICK, 4, 2}));
    EXPECT_EQ(grid->InPlaceEditor(), nullptr);  // read-only grid: no editor
}

TEST_F(GridFixture, HoverIsWrittenIntoTheRowsCells) {
    MoveTo(3, 0);
    EXPECT_EQ(grid->GetHoverRow(), 3);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(grid->GetCell(3, c)->GetBackClr(), Rgb(242, 242, 242));
    MoveTo(4, 2);
    EXPECT_EQ(grid->GetHoverRow(), 4);
    EXPECT_EQ(grid->GetCell(3, 1)->GetBackClr(), Rgb(255, 255, 255));
    EXPECT_EQ(grid->GetCell(4, 1)->GetBackClr(), Rgb(242, 242, 242));
    // Leaving keeps the highlight; the header never takes it.
    MoveTo(0, 1);
    EXPECT_EQ(grid->GetHoverRow(), 4);
    EXPECT_EQ(grid->GetCell(0, 1)->GetBackClr(), Skin().gridTitleBkColor);
    QImage img(View()->size(), QImage::Format_RGB32);
    View()->render(&img);
    const QRect r = grid->CellRect(4, 1);
    EXPECT_EQ(img.pixelColor(r.left() + 2, r.top() + 2), QColor(242, 242, 242));
}

TEST_F(GridFixture, HandCursorOverHeaderAndHandColumns) {
    MoveTo(0, 1);
    EXPECT_EQ(View()->cursor().shape(), Qt::PointingHandCursor);
    MoveTo(2, 1);
    EXPECT_EQ(View()->cursor().shape(), Qt::ArrowCursor);
    grid->AddHandColumn(1);
    grid->AddHandColumn(1);
    MoveTo(3, 1);
    EXPECT_EQ(View()->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(GridFixture, EmptyTableHoversNothing) {
    Fill(0);
    EXPECT_EQ(grid->GetRowCount(), 1);
    MoveTo(0, 0);
    EXPECT_EQ(View()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(grid->GetHoverRow(), -1);
}

TEST_F(GridFixture, SortMarkIsDrawnAndRemoved) {
    auto headerImage = [&] {
        QImage img(View()->size(), QImage::Format_RGB32);
        View()->render(&img);
        return img.copy(grid->CellRect(0, 2));
    };
    // Non-white pixels at the right end of the header cell, above its bottom line.
    auto markPixels = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height() - 1; ++y)
            for (int x = img.width() - 20; x < img.width() - 1; ++x)
                n += img.pixelColor(x, y) != QColor(Qt::white);
        return n;
    };
    EXPECT_EQ(markPixels(headerImage()), 0);
    grid->SetSortColumn(2);
    grid->SetSortAscending(false);
    EXPECT_GT(markPixels(headerImage()), 10);
    grid->SetSortColumn(-1);
    EXPECT_EQ(markPixels(headerImage()), 0);
    grid->SetSortColumn(2);
    grid->DeleteNonFixedRows();
    EXPECT_EQ(grid->GetSortColumn(), -1);
}

TEST_F(GridFixture, CheckBoxCellsToggleOnlyWhenEditable) {
    grid->SetItemText(2, 0, QStringLiteral("2"));
    ASSERT_TRUE(grid->SetCheckCell(2));
    CGridCellCheck* check = grid->GetCheckCell(2);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->GetText(), QStringLiteral("2"));
    EXPECT_EQ(check->GetTextClr(), Skin().gridTextColor);
    EXPECT_FALSE(check->GetCheck());
    Click(2, 0);
    EXPECT_FALSE(check->GetCheck());  // read-only grid: the page toggles it itself
    grid->SetEditable(true);
    Click(2, 0);
    Click(2, 1);  // move the focus away so the next click is not an edit
    Click(2, 0);
    EXPECT_TRUE(check->GetCheck());
    check->SetCheck(false);
    EXPECT_FALSE(check->GetCheck());
    EXPECT_FALSE(grid->SetCheckCell(99));
    Fill(5);
    EXPECT_EQ(grid->GetCheckCell(2), nullptr);  // a refill brings plain cells back
}

TEST_F(GridFixture, InPlaceEditStoresTheTextAndTellsTheParent) {
    grid->SetEditable(true);
    Click(2, 1);
    Click(2, 1);  // second click on the focus cell starts the edit
    ASSERT_NE(grid->InPlaceEditor(), nullptr);
    EXPECT_EQ(grid->InPlaceEditor()->objectName(), QStringLiteral("8"));
    EXPECT_EQ(page.Count(LVN_BEGINLABELEDITW), 1);
    grid->InPlaceEditor()->setText(QStringLiteral("renamed"));
    QTest::keyClick(grid->InPlaceEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid->InPlaceEditor(), nullptr);
    EXPECT_EQ(grid->GetItemText(2, 1), QStringLiteral("renamed"));
    EXPECT_EQ(page.notes.back(), (Note{LVN_ENDLABELEDITW, 2, 1}));
    EXPECT_TRUE(grid->GetCell(2, 1)->IsModified());
}

TEST_F(GridFixture, ParentCanRefuseOrUndoAnEdit) {
    grid->SetEditable(true);
    page.refuseBegin = true;
    EXPECT_FALSE(grid->EditCell(3, 1));
    EXPECT_EQ(grid->InPlaceEditor(), nullptr);

    page.refuseBegin = false;
    page.refuseEnd = true;
    ASSERT_TRUE(grid->EditCell(3, 1));
    grid->InPlaceEditor()->setText(QStringLiteral("refused"));
    QTest::keyClick(grid->InPlaceEditor(), Qt::Key_Tab);
    EXPECT_EQ(grid->GetItemText(3, 1), QStringLiteral("ap-3"));
    EXPECT_FALSE(grid->GetCell(3, 1)->IsModified());
}

TEST_F(GridFixture, EscapeRestoresAndUnchangedTextSendsNoEnd) {
    grid->SetEditable(true);
    ASSERT_TRUE(grid->EditCell(1, 1));
    grid->InPlaceEditor()->setText(QStringLiteral("typed"));
    QTest::keyClick(grid->InPlaceEditor(), Qt::Key_Escape);
    EXPECT_EQ(grid->GetItemText(1, 1), QStringLiteral("ap-1"));
    EXPECT_EQ(page.Count(LVN_ENDLABELEDITW), 0);
}

TEST_F(GridFixture, TypingOnTheFocusCellStartsAnEditWithThatCharacter) {
    grid->SetEditable(true);
    Click(4, 1);
    QTest::keyClick(grid, Qt::Key_Q);
    ASSERT_NE(grid->InPlaceEditor(), nullptr);
    EXPECT_EQ(grid->InPlaceEditor()->text(), QStringLiteral("q"));
    QTest::keyClick(grid->InPlaceEditor(), Qt::Key_Down);  // started by a key: arrows end it
    EXPECT_EQ(grid->GetItemText(4, 1), QStringLiteral("q"));
}

TEST_F(GridFixture, RefillOrDestructionWhileEditingIsSafe) {
    grid->SetEditable(true);
    ASSERT_TRUE(grid->EditCell(5, 1));
    grid->InPlaceEditor()->setText(QStringLiteral("gone"));
    Fill(2);  // the refresh timer refills the page under the editor
    EXPECT_EQ(grid->InPlaceEditor(), nullptr);
    EXPECT_EQ(grid->GetRowCount(), 3);
    MoveTo(2, 1);
    EXPECT_EQ(grid->GetHoverRow(), 2);
    Fill(0);
    EXPECT_EQ(grid->GetHoverRow(), -1);  // deleted rows take the hover and the selection along
    EXPECT_EQ(grid->GetSelectedCount(), 0);
    Fill(3);
    ASSERT_TRUE(grid->EditCell(1, 1));
    delete grid;
    grid = nullptr;
}

TEST_F(GridFixture, ReadOnlyCellsAreNotEdited) {
    grid->SetEditable(true);
    grid->SetItemState(2, 1, grid->GetItemState(2, 1) | kCellReadOnly);
    EXPECT_FALSE(grid->EditCell(2, 1));
    EXPECT_EQ(page.Count(LVN_BEGINLABELEDITW), 0);
}

TEST_F(GridFixture, KeyboardMovesTheFocusCell) {
    Click(1, 0);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->GetFocusCell(), (CCellID{2, 0}));
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->GetFocusCell(), (CCellID{2, 2}));
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid->GetFocusCell(), (CCellID{5, 2}));
    QTest::keyClick(grid, Qt::Key_Up);
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid->GetFocusCell(), (CCellID{1, 0}));  // never onto the header
}

TEST_F(GridFixture, ColumnResizeByDraggingTheHeaderDividerTakesFromTheNeighbour) {
    const int widths[] = {grid->GetColumnWidth(0), grid->GetColumnWidth(1), grid->GetColumnWidth(2)};
    const QRect header = grid->CellRect(0, 0);
    const QPoint divider(header.right() + 1, header.center().y());
    QTest::mouseMove(View(), divider);
    EXPECT_EQ(View()->cursor().shape(), Qt::SplitHCursor);
    QTest::mousePress(View(), Qt::LeftButton, {}, divider);
    QTest::mouseMove(View(), divider + QPoint(40, 0));
    QTest::mouseRelease(View(), Qt::LeftButton, {}, divider + QPoint(40, 0));
    EXPECT_EQ(grid->GetColumnWidth(0), widths[0] + 40);
    EXPECT_EQ(grid->GetColumnWidth(1), widths[1] - 40);
    EXPECT_EQ(grid->GetColumnWidth(2), widths[2]);
    EXPECT_EQ(page.Count(NM_CLICK), 0);
    // The grid's right edge is no divider: the columns keep filling the width.
    QTest::mouseMove(View(), QPoint(View()->width() - 1, header.center().y()));
    EXPECT_NE(View()->cursor().shape(), Qt::SplitHCursor);

    grid->SetColumnsFillWidth(false);
    QTest::mousePress(View(), Qt::LeftButton, {}, divider + QPoint(40, 0));
    QTest::mouseRelease(View(), Qt::LeftButton, {}, divider + QPoint(60, 0));
    EXPECT_EQ(grid->GetColumnWidth(0), widths[0] + 60) << "fixed widths: only the dragged column changes";
    EXPECT_EQ(grid->GetColumnWidth(1), widths[1] - 40);
}

TEST_F(GridFixture, ColumnsKeepTheirProportionsAndFillTheGridAtAnySize) {
    auto shown = [&] {
        int total = 0;
        for (int c = 0; c < 3; ++c)
            total += grid->GetColumnWidth(c);
        return total;
    };
    for (const QSize size : {QSize(300, 300), QSize(1900, 1000), QSize(500, 120)}) {
        grid->resize(size);
        QApplication::processEvents();  // the scroll area shows or hides its bars in a queued call
        const int room = grid->viewport()->width();
        EXPECT_EQ(shown(), room) << size.width() << "x" << size.height();
        EXPECT_NEAR(grid->GetColumnWidth(2) * 60.0 / grid->GetColumnWidth(0), 200, 4);
        EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
        const QRect last = grid->CellRect(1, 2);
        EXPECT_EQ(last.right(), room - 1) << "the last column ends at the view's edge";
    }
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible()) << "the rows outgrow 120 pixels";
}

TEST_F(GridFixture, ColumnsNeverGoBelowTheirMinimumWhileTheOthersGiveWay) {
    grid->SetColumnMinimumWidth(0, 60);
    grid->SetColumnMinimumWidth(2, 200);
    auto fit = [&](int width) {
        grid->resize(width, 300);
        QApplication::processEvents();
        return grid->viewport()->width();
    };
    // 60 + 120 + 200 asked: at 340 the two kept columns keep theirs and Location gets the rest.
    int room = fit(340 + grid->verticalScrollBar()->sizeHint().width() + 2 * grid->frameWidth());
    EXPECT_EQ(grid->GetColumnWidth(0), 60);
    EXPECT_EQ(grid->GetColumnWidth(2), 200);
    EXPECT_EQ(grid->GetColumnWidth(1), room - 260);
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    // Location gives way only down to half its width; narrower, the grid scrolls.
    fit(250);
    EXPECT_EQ(grid->GetColumnWidth(1), 60);
    EXPECT_TRUE(grid->horizontalScrollBar()->isVisible());
    // Wider than asked, every column grows in proportion.
    room = fit(1000);
    EXPECT_GT(grid->GetColumnWidth(0), 60);
    EXPECT_EQ(grid->GetColumnWidth(0) + grid->GetColumnWidth(1) + grid->GetColumnWidth(2), room);
}

TEST_F(GridFixture, TheScrollBarHandleStandsWhereTheViewIs) {
    grid->SetColumnsFillWidth(false);
    grid->SetColumnWidth(2, 1200);
    grid->ResetScrollBars();
    QApplication::processEvents();
    QScrollBar* bar = grid->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    // The handle is the darkest part of the bar: at the left while the view shows the left edge,
    // at the right once scrolled to the end.
    auto darkerSide = [&] {
        QImage img(bar->size(), QImage::Format_RGB32);
        bar->render(&img);
        const int y = img.height() / 2;
        const int left = qGray(img.pixel(img.width() / 10, y));
        const int right = qGray(img.pixel(img.width() * 9 / 10, y));
        return std::string(left < right ? "left" : right < left ? "right" : "neither");
    };
    bar->setValue(0);
    EXPECT_EQ(darkerSide(), "left");
    bar->setValue(bar->maximum());
    EXPECT_EQ(darkerSide(), "right");
    EXPECT_EQ(grid->CellRect(0, 2).right(), grid->viewport()->width() - 1) << "the view shows the last column's end";
}

TEST_F(GridFixture, ACutTextEndsInAnEllipsisAndItsTitleTipShowsItWhole) {
    const QString longText = QStringLiteral("a text far too long for its column");
    SetDataCell(*grid, 2, 0, longText, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    const CGridCellBase* cell = grid->GetCell(2, 0);
    const QRect room = cell->TextRoom(2, 0, grid->CellRect(2, 0));
    const QString shown = cell->ShownText(room);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_LE(QFontMetrics(cell->GetFont()).horizontalAdvance(shown), room.width());
    MoveTo(1, 1);
    EXPECT_FALSE(grid->TitleTip()->isVisible());
    MoveTo(2, 0);
    ASSERT_TRUE(grid->TitleTip()->isVisible());
    EXPECT_EQ(grid->TitleTip()->Text(), longText);
    MoveTo(3, 2);
    EXPECT_FALSE(grid->TitleTip()->isVisible());
    MoveTo(2, 0);
    QTest::keyClick(grid, Qt::Key_Shift);
    EXPECT_FALSE(grid->TitleTip()->isVisible());
}

TEST_F(GridFixture, ImagesAreDrawnFromTheImageList) {
    QImage strip(100, 16, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter(&strip).fillRect(QRect(50, 0, 50, 16), Qt::magenta);
    const CImageList images = CImageList::FromStrip(strip, QSize(50, 16));
    ASSERT_EQ(images.Count(), 2);
    grid->SetImageList(&images);
    grid->SetItemImage(1, 2, 1);
    QImage img(View()->size(), QImage::Format_RGB32);
    View()->render(&img);
    const QRect r = grid->CellRect(1, 2);
    EXPECT_EQ(img.pixelColor(r.left() + 10, r.center().y()), QColor(Qt::magenta));
    grid->SetImageList(nullptr);
}

TEST(GridPaint, HundredRowsFillAndPaint) {
    CGridCtrl grid;
    grid.resize(720, 500);
    ApplyListGridStyle(grid);
    grid.SetColumnCount(11);
    grid.SetFixedRowCount(1);
    for (int c = 0; c < 11; ++c)
        SetTitleCell(grid, c, 70, QStringLiteral("Column %1").arg(c));
    QImage img(grid.viewport()->size(), QImage::Format_RGB32);
    grid.DeleteNonFixedRows();
    grid.SetRowCount(101);
    for (int r = 1; r <= 100; ++r)
        for (int c = 0; c < 11; ++c)
            SetDataCell(grid, r, c, QStringLiteral("%1:%2").arg(r).arg(c), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    grid.viewport()->render(&img);
    EXPECT_EQ(grid.GetItemText(100, 10), QStringLiteral("100:10"));
}

}  // namespace
}  // namespace cpe
