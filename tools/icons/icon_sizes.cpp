// Writes the images of the program's icon file as PNG files of the desktop's icon theme:
//   cpe_icon_sizes ICON.ico OUTDIR NAME SIZE...   ->   OUTDIR/<SIZE>x<SIZE>/apps/NAME.png
// Every size asked for must be in the icon file as it is; nothing is scaled.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>

#include <cstdio>
#include <map>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: cpe_icon_sizes ICON.ico OUTDIR NAME SIZE...\n");
        return 2;
    }
    QImageReader reader(args[1], "ico");
    std::map<int, QImage> bySize;
    do {
        const QImage image = reader.read();
        if (image.isNull()) {
            std::fprintf(stderr, "cpe_icon_sizes: %s: %s\n", qPrintable(args[1]), qPrintable(reader.errorString()));
            return 1;
        }
        if (image.width() == image.height())
            bySize[image.width()] = image;
    } while (reader.jumpToNextImage());

    for (qsizetype i = 4; i < args.size(); ++i) {
        const int size = args[i].toInt();
        const auto found = bySize.find(size);
        if (found == bySize.end()) {
            std::fprintf(stderr, "cpe_icon_sizes: %s has no %dx%d image\n", qPrintable(args[1]), size, size);
            return 1;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args[2]).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, args[3]);
        if (!QDir().mkpath(dir) || !found->second.save(file, "PNG")) {
            std::fprintf(stderr, "cpe_icon_sizes: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
