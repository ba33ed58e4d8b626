// A still or animated picture. An animated GIF is shown frame by frame, each at its own
// position, for its own delay (100 ms for delays of 4 hundredths or less), disposed as the
// frame asks. Frames are timed on the UI thread, so no thread touches the widget.
#pragma once

#include "ui/skin_settings.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace cpe {

class CTPicture : public QWidget {
    Q_OBJECT
public:
    struct Frame {
        QImage image;
        int left = 0, top = 0, width = 0, height = 0;
        int delay = 0;  // hundredths of a second
        int disposal = 0;
    };

    explicit CTPicture(QWidget* parent = nullptr);
    ~CTPicture() override;

    bool LoadFile(const QString& path);
    // Starts the animation of an animated picture, or renders a still one.
    void DrawPicture();
    void StopAnimation();

    static int FrameDelayMs(int delay) { return delay <= 4 ? 100 : delay * 10; }

    bool IsAnimated() const { return m_frames.size() > 1; }
    bool IsRunning() const { return m_timer.isActive(); }
    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    int CurrentFrame() const { return m_nFrame; }
    const Frame& FrameAt(int i) const { return m_frames[static_cast<std::size_t>(i)]; }
    QSize PictureSize() const { return m_size; }
    const QImage& Canvas() const { return m_canvas; }
    // Disposes the current frame and shows the next one (what a timer tick does).
    void AdvanceFrame();

    ColorRef m_crBk = Rgb(255, 255, 255);
    // Drawn over the whole control rather than at the picture's own size (a separator line that
    // spans a page of any width).
    bool m_bStretch = false;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void RenderCurrent();
    void Clear();

    std::vector<Frame> m_frames;
    QSize m_size;
    QImage m_canvas;
    QImage m_saved;  // area under a frame that restores the previous picture
    int m_nFrame = 0;
    QTimer m_timer;
};

}  // namespace cpe
