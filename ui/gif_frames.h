// Splits a GIF file into its images without decoding them: each frame becomes a small GIF of
// its own (the file's header and colour tables plus that image's data) with its position, size,
// delay and disposal method. Every length and offset is checked against the file.
#pragma once

#include <QByteArray>
#include <vector>

namespace cpe {

struct GifFrame {
    QByteArray data;  // a single-image GIF of width x height placed at (0, 0)
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int delay = 0;     // hundredths of a second
    int disposal = 0;  // 0/1 keep, 2 restore background, 3 restore previous
};

struct GifFile {
    int width = 0;
    int height = 0;
    std::vector<GifFrame> frames;
};

// False when the data is not a GIF or is cut short before its first image.
bool SplitGif(const QByteArray& data, GifFile& out);

}  // namespace cpe
