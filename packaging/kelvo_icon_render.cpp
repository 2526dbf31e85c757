// kelvo_icon_render: draws an SVG icon as a square PNG of a given size, through Qt's image
// readers, so that the desktop's fixed-size icons are made from the one drawing at build
// time. It needs no display.
//
//   kelvo_icon_render ICON.svg SIZE OUT.png
//
// Exit status: 0 when the PNG is written, 1 when the SVG cannot be read or the PNG written,
// 2 for a wrong command line.

#include <cstdio>

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool isNumber = false;
    const int size = arguments.size() == 4 ? arguments[2].toInt(&isNumber) : 0;
    if (!isNumber || size < 1 || size > 4096) {
        std::fprintf(stderr, "usage: kelvo_icon_render ICON.svg SIZE OUT.png\n");
        return 2;
    }
    QImageReader reader(arguments[1], "svg");
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "kelvo_icon_render: %s: %s\n", qPrintable(arguments[1]),
                     qPrintable(reader.errorString()));
        return 1;
    }
    QImageWriter writer(arguments[3], "png");
    if (!writer.write(image.convertToFormat(QImage::Format_ARGB32))) {
        std::fprintf(stderr, "kelvo_icon_render: %s: %s\n", qPrintable(arguments[3]),
                     qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
