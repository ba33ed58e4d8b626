// Splits a GIF file into its images without decoding them: each frame becomes a small GIF of
// its own (the file's header and colour tables plus that image's data) with its position, size,
// delay and disposal method. Every length and offset is checked against the file.
#pragma once

#include <QByteArray>
#include <cstddef>
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

// What a skin picture may ask for once split: the picture's canvas, all frames decoded together,
// and the number of frames. A few bytes can describe a 65535 x 65535 screen or thousands of
// large frames; such a file is not split (it then loads as one picture, under the image
// reader's own limits).
inline constexpr long long kMaxGifScreenPixels = 4096LL * 4096;
inline constexpr long long kMaxGifFramePixels = 4096LL * 4096;
inline constexpr std::size_t kMaxGifFrames = 1024;

// False when the data is not a GIF, is cut short before its first image, or asks for more than
// the limits above.
bool SplitGif(const QByteArray& data, GifFile& out);

}  // namespace cpe
