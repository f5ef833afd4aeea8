// Saves the X display's whole screen (its root window) as a PNG, as a user would see it.
//
//   screenshot OUTPUT.png [--not-blank]
//
// With --not-blank the exit status is 2 when the picture holds fewer distinct colours than a
// drawn window has (an empty or black screen).
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>

#include <cstdio>
#include <cstring>

namespace {

// A screen showing a window with a menu, toolbars and text has far more colours than this.
constexpr int MinimumColours = 16;

int DistinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) colours.insert(line[x] | 0xFF000000u);
        if (colours.size() >= MinimumColours) return int(colours.size());
    }
    return int(colours.size());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: screenshot OUTPUT.png [--not-blank]\n");
        return 1;
    }
    const bool notBlank = argc > 2 && std::strcmp(argv[2], "--not-blank") == 0;
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "screenshot: no screen\n");
        return 1;
    }
    const QImage shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "screenshot: cannot save %s\n", argv[1]);
        return 1;
    }
    if (notBlank && DistinctColours(shot) < MinimumColours) {
        std::fprintf(stderr, "screenshot: the screen is blank\n");
        return 2;
    }
    return 0;
}
