#include "ui/gif_frames.h"

#include <cstdint>

namespace cpe {
namespace {

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
            if (len == 0)
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
    if (!r.Has(13) || !(data.startsWith("GIF87a") || data.startsWith("GIF89a")))
        return false;
    r.Skip(6);
    out.width = r.U16();
    out.height = r.U16();
    if (static_cast<long long>(out.width) * out.height > kMaxGifScreenPixels)
        return false;
    const std::uint8_t screenFlags = r.U8();
    const std::uint8_t background = r.U8();
    r.Skip(1);
    QByteArray globalTable;
    if (screenFlags & 0x80) {
        const int size = 3 * (1 << ((screenFlags & 7) + 1));
        if (!r.Has(size))
            return false;
        globalTable = data.mid(r.Pos(), size);
        r.Skip(size);
    }

    int delay = 0, disposal = 0;
    long long framePixels = 0;
    QByteArray control;  // graphic control block of the next image
    while (r.Has(1)) {
        const std::uint8_t block = r.U8();
        if (block == 0x3B)
            break;
        if (block == 0x21) {
            if (!r.Has(1))
                return !out.frames.empty();
            const std::uint8_t label = r.U8();
            // A graphic control block is one 4-byte sub-block and its terminator; it is copied
            // into the frame, so any other shape is skipped like an unknown extension.
            const auto at = [&](int offset) { return static_cast<std::uint8_t>(data[r.Pos() + offset]); };
            if (label == 0xF9 && r.Has(6) && at(0) == 4 && at(5) == 0) {
                control = data.mid(r.Pos() - 2, 8);
                r.Skip(1);
                const std::uint8_t flags = r.U8();
                disposal = (flags >> 2) & 7;
                delay = r.U16();
                r.Skip(2);
                continue;
            }
            if (!r.SkipSubBlocks())
                return !out.frames.empty();
            continue;
        }
        if (block != 0x2C || !r.Has(9))
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
        const int localSize = (imageFlags & 0x80) ? 3 * (1 << ((imageFlags & 7) + 1)) : 0;
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
        g.append("GIF89a");
        PutU16(g, f.width);
        PutU16(g, f.height);
        g.append(static_cast<char>(screenFlags));
        g.append(static_cast<char>(background));
        g.append('\0');
        g.append(globalTable);
        g.append(control);
        g.append(static_cast<char>(0x2C));
        PutU16(g, 0);
        PutU16(g, 0);
        PutU16(g, f.width);
        PutU16(g, f.height);
        g.append(static_cast<char>(imageFlags));
        g.append(data.mid(tableStart, r.Pos() - tableStart));
        g.append(static_cast<char>(0x3B));
        out.frames.push_back(std::move(f));
        control.clear();
        delay = disposal = 0;
    }
    return !out.frames.empty();
}

}  // namespace cpe
