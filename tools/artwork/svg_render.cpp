// velmora-svg-render IN.svg OUT.png SIZE
// Renders the suite's own artwork (drawn as SVG) into a square PNG of SIZE
// pixels at build time: the launcher's pictures and the programs' icons.
// Exit status 0 when written, 1 when the SVG cannot be read or the PNG
// cannot be written, 2 for bad usage.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

constexpr int kMaxSize = 4096;

int render(const QString& in, const QString& out, int size) {
    QSvgRenderer svg(in);
    if (!svg.isValid()) {
        std::fprintf(stderr, "velmora-svg-render: cannot read %s\n", qPrintable(in));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    painter.end();
    if (!image.save(out, "PNG")) {
        std::fprintf(stderr, "velmora-svg-render: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    // A build machine has no display; the artwork needs none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    bool ok = false;
    const int size = args.size() == 4 ? args[3].toInt(&ok) : 0;
    if (!ok || size < 1 || size > kMaxSize) {
        std::fprintf(stderr, "usage: velmora-svg-render IN.svg OUT.png SIZE\n");
        return 2;
    }
    return render(args[1], args[2], size);
}
