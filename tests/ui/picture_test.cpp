#include "tests/support/qt_app.h"

#include "ui/ct_picture.h"
#include "ui/gif_frames.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace cpe {
namespace {

struct FrameRecipe {
    int left, top, delay, disposal, colour;  // colour: index 0 red, 1 blue
};

void U16(QByteArray& b, int v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

// A 4 x 4 GIF with a two-colour table and one 1 x 1 image per frame.
QByteArray MakeGif(const std::vector<FrameRecipe>& frames) {
    QByteArray b("GIF89a");
    U16(b, 4);
    U16(b, 4);
    b.append(char(0x80));  // global table of 2 entries
    b.append(char(0));
    b.append(char(0));
    b.append(QByteArray::fromHex("ff00000000ff"));
    for (const FrameRecipe& f : frames) {
        b.append(QByteArray::fromHex("21f904"));
        b.append(char(f.disposal << 2));
        U16(b, f.delay);
        b.append(char(0));
        b.append(char(0));
        b.append(char(0x2C));
        U16(b, f.left);
        U16(b, f.top);
        U16(b, 1);
        U16(b, 1);
        b.append(char(0));
        // LZW, code size 2: clear, the pixel, end.
        b.append(QByteArray::fromHex(f.colour == 0 ? "0202440100" : "02024c0100"));
    }
    b.append(char(0x3B));
    return b;
}

TEST(GifSplit, FramesKeepPositionDelayAndDisposal) {
    GifFile gif;
    ASSERT_TRUE(SplitGif(MakeGif({{1, 2, 0, 2, 0}, {3, 0, 25, 3, 1}}), gif));
    EXPECT_EQ(gif.width, 4);
    ASSERT_EQ(gif.frames.size(), 2u);
    EXPECT_EQ(gif.frames[0].left, 1);
    EXPECT_EQ(gif.frames[0].top, 2);
    EXPECT_EQ(gif.frames[0].disposal, 2);
    EXPECT_EQ(gif.frames[1].delay, 25);
    EXPECT_EQ(gif.frames[1].disposal, 3);
    const QImage frame = QImage::fromData(gif.frames[1].data, "GIF");
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.size(), QSize(1, 1));
    EXPECT_EQ(frame.pixelColor(0, 0), QColor(Qt::blue));
}

TEST(GifSplit, TruncatedOrForeignDataIsRefused) {
    GifFile gif;
    EXPECT_FALSE(SplitGif(QByteArray("GIF89a"), gif));
    EXPECT_FALSE(SplitGif(QByteArray("\x89PNG\r\n\x1a\n0000000000"), gif));
    QByteArray full = MakeGif({{0, 0, 0, 0, 0}, {1, 1, 0, 0, 1}});
    // Every cut point either fails or yields only whole frames; none reads past the data.
    for (int n = 0; n < full.size(); ++n) {
        GifFile part;
        if (SplitGif(full.left(n), part)) {
            EXPECT_LE(part.frames.size(), 2u);
        }
    }
    // A colour table size larger than the file.
    QByteArray bad = full;
    bad[10] = char(0x87);
    EXPECT_FALSE(SplitGif(bad, gif));
}

class AnimatedPicture : public ::testing::Test {
protected:
    void Load(const std::vector<FrameRecipe>& frames) {
        ASSERT_TRUE(dir.isValid());
        QFile f(dir.filePath("a.gif"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(MakeGif(frames));
        f.close();
        ASSERT_TRUE(pic.LoadFile(f.fileName()));
    }
    QTemporaryDir dir;
    CTPicture pic;
};

TEST_F(AnimatedPicture, FramesDrawAtTheirPositionsAndDispose) {
    Load({{1, 2, 0, 2, 0}, {3, 0, 25, 3, 1}, {0, 0, 10, 0, 0}});
    ASSERT_TRUE(pic.IsAnimated());
    EXPECT_EQ(pic.PictureSize(), QSize(4, 4));
    pic.DrawPicture();
    EXPECT_TRUE(pic.IsRunning());
    EXPECT_EQ(pic.Canvas().pixelColor(1, 2), QColor(Qt::red));
    pic.StopAnimation();
    pic.AdvanceFrame();  // frame 0 restores the background
    EXPECT_EQ(pic.Canvas().pixelColor(1, 2), QColor(Qt::white));
    EXPECT_EQ(pic.Canvas().pixelColor(3, 0), QColor(Qt::blue));
    pic.AdvanceFrame();  // frame 1 restores what was under it
    EXPECT_EQ(pic.Canvas().pixelColor(3, 0), QColor(Qt::white));
    EXPECT_EQ(pic.Canvas().pixelColor(0, 0), QColor(Qt::red));
    pic.AdvanceFrame();  // wraps to the first frame on a clean background
    EXPECT_EQ(pic.CurrentFrame(), 0);
    EXPECT_EQ(pic.Canvas().pixelColor(0, 0), QColor(Qt::white));
    EXPECT_FALSE(pic.IsRunning());
}

TEST_F(AnimatedPicture, ShortDelaysShowFor100Ms) {
    EXPECT_EQ(CTPicture::FrameDelayMs(0), 100);
    EXPECT_EQ(CTPicture::FrameDelayMs(4), 100);
    EXPECT_EQ(CTPicture::FrameDelayMs(5), 50);
    EXPECT_EQ(CTPicture::FrameDelayMs(25), 250);
}

TEST_F(AnimatedPicture, RunsOnTheEventLoopAndStops) {
    Load({{0, 0, 0, 0, 0}, {1, 1, 0, 0, 1}});
    pic.DrawPicture();
    EXPECT_TRUE(QTest::qWaitFor([&] { return pic.CurrentFrame() == 1; }, 2000));
    EXPECT_EQ(pic.Canvas().pixelColor(1, 1), QColor(Qt::blue));
    pic.StopAnimation();
    EXPECT_FALSE(pic.IsRunning());
    QTest::qWait(250);
    EXPECT_EQ(pic.CurrentFrame(), 1);
}

TEST(StillPicture, LoadsOrStaysEmpty) {
    QTemporaryDir dir;
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::green);
    ASSERT_TRUE(img.save(dir.filePath("s.bmp")));
    CTPicture pic;
    ASSERT_TRUE(pic.LoadFile(dir.filePath("s.bmp")));
    EXPECT_FALSE(pic.IsAnimated());
    pic.DrawPicture();
    EXPECT_EQ(pic.Canvas().pixelColor(7, 5), QColor(Qt::green));
    EXPECT_FALSE(pic.LoadFile(dir.filePath("missing.gif")));
    EXPECT_EQ(pic.FrameCount(), 0);
    pic.DrawPicture();  // nothing to show, nothing happens
}

}  // namespace
}  // namespace cpe
