// Pictures of the screen at the stops of a tour of the program under a (virtual) display.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QThread>

#include <cstdio>
#include <filesystem>
#include <string>

namespace screen_tour {

// A screen showing windows with text has far more colours than this.
constexpr int MinimumColours = 16;
// Time for the window system to show what changed, in milliseconds.
constexpr int SettleTime = 600;

// Where the pictures go, how many were saved, and whether one failed.
inline std::filesystem::path g_folder;
inline int g_shots = 0;
inline bool g_failed = false;

// Lets the window system show what changed.
inline void Settle()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < SettleTime) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// Saves the screen as g_folder/NN-name.png and prints its path; a picture that could not be
// saved or shows hardly more than a blank screen sets g_failed.
inline void SaveScreen(const std::string& name)
{
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%02d-", ++g_shots);
    const std::filesystem::path path = g_folder / (prefix + name + ".png");
    QScreen* screen = QGuiApplication::primaryScreen();
    const QImage shot = screen ? screen->grabWindow(0).toImage() : QImage();
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height() && colours.size() < MinimumColours; y += 3) {
        for (int x = 0; x < shot.width(); x += 3) colours.insert(shot.pixel(x, y));
    }
    if (shot.isNull() || !shot.save(QString::fromStdString(path.string()), "PNG") || colours.size() < MinimumColours) {
        std::fprintf(stderr, "no picture for %s\n", path.c_str());
        g_failed = true;
        return;
    }
    std::printf("%s\n", path.c_str());
}

}  // namespace screen_tour
