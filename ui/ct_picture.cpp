#include "ui/ct_picture.h"

#include "ui/gif_frames.h"
#include "ui/skin_qt.h"

#include <QFile>
#include <QPainter>

namespace cpe {

CTPicture::CTPicture(QWidget* parent) : QWidget(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CTPicture::AdvanceFrame);
}

CTPicture::~CTPicture() { StopAnimation(); }

void CTPicture::Clear() {
    StopAnimation();
    m_frames.clear();
    m_size = {};
    m_canvas = {};
    m_saved = {};
    m_nFrame = 0;
}

bool CTPicture::LoadFile(const QString& path) {
    Clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    GifFile gif;
    if (SplitGif(bytes, gif) && gif.frames.size() > 1) {
        for (const GifFrame& g : gif.frames) {
            Frame f;
            f.image = QImage::fromData(g.data, "GIF");
            f.left = g.left;
            f.top = g.top;
            f.width = g.width;
            f.height = g.height;
            f.delay = g.delay;
            f.disposal = g.disposal;
            m_frames.push_back(std::move(f));
        }
        m_size = QSize(gif.width, gif.height);
    } else {
        Frame f;
        f.image = QImage::fromData(bytes);
        if (f.image.isNull())
            return false;
        f.width = f.image.width();
        f.height = f.image.height();
        m_size = f.image.size();
        m_frames.push_back(std::move(f));
    }
    m_canvas = QImage(m_size, QImage::Format_ARGB32_Premultiplied);
    m_canvas.fill(ToQColor(m_crBk));
    return true;
}

void CTPicture::DrawPicture() {
    if (m_frames.empty())
        return;
    StopAnimation();
    m_nFrame = 0;
    m_canvas.fill(ToQColor(m_crBk));
    RenderCurrent();
    if (IsAnimated())
        m_timer.start(FrameDelayMs(m_frames[0].delay));
}

void CTPicture::StopAnimation() { m_timer.stop(); }

void CTPicture::RenderCurrent() {
    const Frame& f = m_frames[static_cast<std::size_t>(m_nFrame)];
    const QRect area(f.left, f.top, f.width, f.height);
    if (f.disposal == 3)
        m_saved = m_canvas.copy(area);
    QPainter p(&m_canvas);
    p.drawImage(area.topLeft(), f.image);
    p.end();
    update();
}

void CTPicture::AdvanceFrame() {
    if (m_frames.empty())
        return;
    const Frame& f = m_frames[static_cast<std::size_t>(m_nFrame)];
    const QRect area(f.left, f.top, f.width, f.height);
    if (f.disposal == 2) {
        QPainter p(&m_canvas);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(area, ToQColor(m_crBk));
    } else if (f.disposal == 3 && !m_saved.isNull()) {
        QPainter p(&m_canvas);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(area.topLeft(), m_saved);
    }
    m_saved = {};
    ++m_nFrame;
    if (m_nFrame >= FrameCount()) {
        m_nFrame = 0;
        m_canvas.fill(ToQColor(m_crBk));
    }
    RenderCurrent();
    if (IsAnimated() && (m_timer.isActive() || sender() == &m_timer))
        m_timer.start(FrameDelayMs(m_frames[static_cast<std::size_t>(m_nFrame)].delay));
}

void CTPicture::paintEvent(QPaintEvent*) {
    if (m_canvas.isNull())
        return;
    QPainter p(this);
    if (m_bStretch)
        p.drawImage(rect(), m_canvas);
    else
        p.drawImage(0, 0, m_canvas);
}

}  // namespace cpe
