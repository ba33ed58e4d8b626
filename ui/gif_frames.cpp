#include "ui/gif_frames.h"

#include <cstdint>

namespace cpe {
namespace {

// The bytes of the GIF89a layout that the splitter reads or writes.
constexpr int kSignatureSize = 6;         // "GIF87a" or "GIF89a"
constexpr int kScreenDescriptorSize = 7;  // width, height, flags, background, aspect
constexpr int kImageDescriptorSize = 9;   // left, top, width, height, flags (after the separator)
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kGraphicControlDataSize = 4;  // flags, delay (2), transparent index
constexpr int kGraphicControlBlockSize = 8;          // introducer, label, size, data, terminator
constexpr std::uint8_t kBlockTerminator = 0x00;
constexpr std::uint8_t kColourTableFlag = 0x80;      // in the screen and the image flags
constexpr std::uint8_t kColourTableSizeBits = 0x07;  // the table holds 2^(bits + 1) colours
constexpr int kDisposalShift = 2;                    // in the graphic control flags
constexpr std::uint8_t kDisposalBits = 0x07;

// The bytes of the colour table that the screen or image flags announce (RGB per colour).
int ColourTableSize(std::uint8_t flags) {
    return (flags & kColourTableFlag) ? 3 * (1 << ((flags & kColourTableSizeBits) + 1)) : 0;
}

class Reader {
public:
    explicit Reader(const QByteArray& d) : m_d(d) {}
    bool Has(int n) const { return n >= 0 && m_pos + n <= m_d.size(); }
    int Pos() const { return m_pos; }
    std::uint8_t U8() { return static_cast<std::uint8_t>(m_d[m_pos++]); }
    int U16() {
        const int lo = U8();
        return lo | (U8() << 8);
    }
    void Skip(int n) { m_pos += n; }
    // Skips a chain of data sub-blocks up to and including the zero terminator.
    bool SkipSubBlocks() {
        while (Has(1)) {
            const int len = U8();
            if (len == kBlockTerminator)
                return true;
            if (!Has(len))
                return false;
            Skip(len);
        }
        return false;
    }

private:
    const QByteArray& m_d;
    int m_pos = 0;
};

void PutU16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

}  // namespace

bool SplitGif(const QByteArray& data, GifFile& out) {
    out = GifFile{};
    Reader r(data);
    if (!r.Has(kSignatureSize + kScreenDescriptorSize) || !(data.startsWith("GIF87a") || data.startsWith("GIF89a")))
        return false;
    r.Skip(kSignatureSize);
    out.width = r.U16();
    out.height = r.U16();
    if (static_cast<long long>(out.width) * out.height > kMaxGifScreenPixels)
        return false;
    const std::uint8_t screenFlags = r.U8();
    const std::uint8_t background = r.U8();
    r.Skip(1);  // pixel aspect ratio
    const int globalSize = ColourTableSize(screenFlags);
    if (!r.Has(globalSize))
        return false;
    const QByteArray globalTable = data.mid(r.Pos(), globalSize);
    r.Skip(globalSize);

    int delay = 0, disposal = 0;
    long long framePixels = 0;
    QByteArray control;  // graphic control block of the next image
    while (r.Has(1)) {
        const std::uint8_t block = r.U8();
        if (block == kTrailer)
            break;
        if (block == kExtensionIntroducer) {
            if (!r.Has(1))
                return !out.frames.empty();
            const std::uint8_t label = r.U8();
            // A graphic control block is one 4-byte sub-block and its terminator; it is copied
            // into the frame, so any other shape is skipped like an unknown extension.
            const auto at = [&](int offset) { return static_cast<std::uint8_t>(data[r.Pos() + offset]); };
            if (label == kGraphicControlLabel && r.Has(kGraphicControlBlockSize - 2) &&
                at(0) == kGraphicControlDataSize && at(1 + kGraphicControlDataSize) == kBlockTerminator) {
                control = data.mid(r.Pos() - 2, kGraphicControlBlockSize);  // from the introducer
                r.Skip(1);
                const std::uint8_t flags = r.U8();
                disposal = (flags >> kDisposalShift) & kDisposalBits;
                delay = r.U16();
                r.Skip(2);  // transparent colour index and the terminator
                continue;
            }
            if (!r.SkipSubBlocks())
                return !out.frames.empty();
            continue;
        }
        if (block != kImageSeparator || !r.Has(kImageDescriptorSize))
            return !out.frames.empty();
        GifFrame f;
        f.left = r.U16();
        f.top = r.U16();
        f.width = r.U16();
        f.height = r.U16();
        framePixels += static_cast<long long>(f.width) * f.height;
        if (framePixels > kMaxGifFramePixels || out.frames.size() >= kMaxGifFrames) {
            out.frames.clear();
            return false;
        }
        const std::uint8_t imageFlags = r.U8();
        const int localSize = ColourTableSize(imageFlags);
        if (!r.Has(localSize + 1))
            return !out.frames.empty();
        const int tableStart = r.Pos();
        r.Skip(localSize + 1);  // local colour table and the LZW code size
        if (!r.SkipSubBlocks())
            return !out.frames.empty();
        f.delay = delay;
        f.disposal = disposal;

        QByteArray& g = f.data;
        g.reserve(32 + globalTable.size() + (r.Pos() - tableStart));
        g.append("GIF89a", kSignatureSize);
        PutU16(g, f.width);
        PutU16(g, f.height);
        g.append(static_cast<char>(screenFlags));
        g.append(static_cast<char>(background));
        g.append('\0');  // pixel aspect ratio: none given
        g.append(globalTable);
        g.append(control);
        g.append(static_cast<char>(kImageSeparator));
        PutU16(g, 0);
        PutU16(g, 0);
        PutU16(g, f.width);
        PutU16(g, f.height);
        g.append(static_cast<char>(imageFlags));
        g.append(data.mid(tableStart, r.Pos() - tableStart));
        g.append(static_cast<char>(kTrailer));
        out.frames.push_back(std::move(f));
        control.clear();
        delay = disposal = 0;
    }
    return !out.frames.empty();
}

}  // namespace cpe
