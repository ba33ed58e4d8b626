// libFuzzer entry: any bytes as a skin picture, through the GIF frame splitter and the picture
// control that loads, shows and animates it.
//
// Properties: every frame the splitter cuts is itself a GIF the splitter reads as one frame of
// the same size; the control loads what it can and steps through every frame.

#include <QApplication>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"
#include "ui/ct_picture.h"
#include "ui/gif_frames.h"

namespace {

void Check(bool holds) {
    if (!holds)
        std::abort();
}

void CheckFrames(const QByteArray& bytes) {
    cpe::GifFile gif;
    if (!cpe::SplitGif(bytes, gif))
        return;
    for (const cpe::GifFrame& frame : gif.frames) {
        cpe::GifFile single;
        Check(cpe::SplitGif(frame.data, single));
        Check(single.frames.size() == 1);
        Check(single.width == frame.width && single.height == frame.height);
        Check(single.frames[0].left == 0 && single.frames[0].top == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const cpe::test::TempDir folder;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CheckFrames(bytes);

    std::ofstream(folder / "picture.gif", std::ios::binary | std::ios::trunc).write(bytes.constData(), bytes.size());
    cpe::CTPicture picture;
    if (!picture.LoadFile(QString::fromStdString((folder / "picture.gif").string())))
        return 0;
    picture.DrawPicture();
    for (int i = 0; i < picture.FrameCount() && i < 64; ++i)
        picture.AdvanceFrame();
    picture.StopAnimation();
    return 0;
}
