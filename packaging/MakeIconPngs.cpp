// Writes the program's icon as PNGs for the desktop's icon theme:
//   make_icon_pngs FOLDER SIZE...  ->  FOLDER/<SIZE>x<SIZE>/apps/tolmarin.png
// Each size is a whole multiple of the 16 x 16 picture, scaled by repeating
// pixels, so the small design stays crisp instead of blurred.
#include "TolmarinIcon.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const QImage picture = qtui::tolmarinIconImage();
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size <= 0 || size % picture.width() != 0) {
            std::fprintf(stderr, "%s: %s is not a multiple of %d\n", argv[0], argv[i], picture.width());
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        const QString file = folder + QStringLiteral("/tolmarin.png");
        const QImage scaled = picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!QDir().mkpath(folder) || !scaled.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(QDir::toNativeSeparators(file)));
            return 1;
        }
    }
    return 0;
}
