// check_icon_pngs FOLDER SIZE...: each FOLDER/<SIZE>x<SIZE>/apps/tolmarin.png
// must be the window's icon with every pixel repeated, alpha included.
#include "TolmarinIcon.h"

#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    const QImage picture = qtui::tolmarinIconImage().convertToFormat(QImage::Format_ARGB32);
    int failures = argc < 3 ? 1 : 0;
    for (int i = 2; i < argc; ++i) {
        const int size = QString(argv[i]).toInt();
        const QString file = QStringLiteral("%1/%2x%2/apps/tolmarin.png").arg(argv[1]).arg(size);
        const QImage png = QImage(file).convertToFormat(QImage::Format_ARGB32);
        bool same = png.width() == size && png.height() == size;
        for (int y = 0; same && y < size; ++y)
            for (int x = 0; same && x < size; ++x)
                same = png.pixel(x, y) == picture.pixel(x * picture.width() / size, y * picture.height() / size);
        if (!same) {
            std::printf("%s is not the icon scaled to %d x %d by repeating pixels\n", qPrintable(file), size, size);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
