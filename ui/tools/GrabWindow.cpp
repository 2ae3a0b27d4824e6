// Saves what an X window shows as a PNG: grab-window WINDOW-ID OUTPUT.png
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WINDOW-ID OUTPUT.png\n", argv[0]);
        return 2;
    }
    const WId window = QByteArray(argv[1]).toULongLong(nullptr, 0);
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(window);
    return !picture.isNull() && picture.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
