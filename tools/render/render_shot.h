// Saves a widget as it draws itself, on white, to DIR/NAME.png and prints the path; on a HiDPI
// screen (QT_SCALE_FACTOR) at the screen's pixels, not the widget's logical ones.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdio>

namespace cpe::render {

inline void SaveShot(QWidget& w, const QString& dir, const QString& name) {
    const qreal ratio = w.devicePixelRatioF();
    QImage img(w.size() * ratio, QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
    img.fill(Qt::white);
    w.render(&img);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    img.save(path);
    std::printf("%s\n", qPrintable(path));
}

}  // namespace cpe::render
