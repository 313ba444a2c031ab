// Build tool: writes a program icon at the sizes of the desktop's icon theme.
//   zentrix-scale-icon SOURCE.png OUTDIR NAME SIZE...
// makes OUTDIR/hicolor/<SIZE>x<SIZE>/apps/NAME.png for every SIZE. The program's icons are drawn
// on magenta, which the window layer makes transparent; here it becomes real transparency.
// Whole multiples of the drawing keep its hard pixel edges, other sizes are smoothed.
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

QImage withTransparentMask(const QImage& source) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = qRgb(255, 0, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (mask & 0xFFFFFF))
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s SOURCE.png OUTDIR NAME SIZE...\n", argv[0]);
        return 2;
    }
    QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull() || source.width() != source.height()) {
        std::fprintf(stderr, "%s: not a square image\n", argv[1]);
        return 1;
    }
    const QImage image = withTransparentMask(source);
    for (int i = 4; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size <= 0 || size > 1024) {
            std::fprintf(stderr, "%s: not a size\n", argv[i]);
            return 2;
        }
        const bool whole = size % image.width() == 0;
        const QImage scaled =
            size == image.width()
                ? image
                : image.scaled(size, size, Qt::IgnoreAspectRatio,
                               whole ? Qt::FastTransformation : Qt::SmoothTransformation);
        const QString folder =
            QString("%1/hicolor/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        const QString file = QString("%1/%2.png").arg(folder, QString::fromLocal8Bit(argv[3]));
        if (!QDir().mkpath(folder) || !scaled.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
