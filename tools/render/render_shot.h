// Saves a widget as it draws itself, on white, to DIR/NAME.png and prints the path.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdio>

namespace cpe::render {

inline void SaveShot(QWidget& w, const QString& dir, const QString& name) {
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    w.render(&img);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    img.save(path);
    std::printf("%s\n", qPrintable(path));
}

}  // namespace cpe::render
